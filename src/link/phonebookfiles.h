#pragma once
// The address book's files on both sides: the phone's phonebook read and written whole through
// one transfer runner (the GUI's progress window or the command line's own transfer), a dated
// backup of the phone's copy before every write, the side files "addr.vdl" and "grp.vdl", and
// book files on the computer written whole or not at all.
#include "result.h"
#include "transfer.h"

#include <core/phonebook/addressbook.h>
#include <core/phonebook/pbmfile.h>

#include <QCoroTask>
#include <functional>

namespace vandrel::link {

inline const QString kPhonebookPhoneName = QStringLiteral("pbm_master_v_20.dat");

// Runs one transfer request and hands back its outcome and, for a read, the bytes.
using TransferRunner = std::function<QCoro::Task<Result<QByteArray>>(TransferRequest)>;

// The phone's file, read into memory.
QCoro::Task<Result<QByteArray>> readPhonebook(TransferRunner run);

// Asked once the phone's current book is known, before anything is written: what the write
// changes there; false stops the write (nothing written).
using ConfirmChanges = std::function<QCoro::Task<bool>(phonebook::ChangeSummary)>;

struct PhonebookWrite {
    Outcome outcome;
    // Why the table cannot be written; nothing was sent to the phone.
    QList<phonebook::TableProblem> problems;
    // The phone's previous file, kept on the computer; empty when the phone had none.
    QString backupFile;
    // The write failed after the backup was made: the phone's book may be gone.
    bool offerRestore = false;
};

// Checks the whole table, reads the phone's file and keeps it as a dated backup in
// `backupFolder`, asks `confirm` with the changes against that file, then writes the table.
// `confirm` may be empty (no question).
QCoro::Task<PhonebookWrite> writePhonebook(TransferRunner run, phonebook::ContactList contacts, QString backupFolder,
                                           ConfirmChanges confirm);

// Writes a file kept by writePhonebook back as the phone's phonebook.
QCoro::Task<Outcome> restorePhonebook(TransferRunner run, QString backupFile);

// "pbm_master_v_20-20260109-141503.dat" in `folder`, made unique when one exists.
QString backupFileName(const QString &folder, const QDateTime &when);
// The folder of the backups in the data folder ("backups"), created when missing.
QString phonebookBackupFolder();

// Written whole or not at all; LocalFile failure naming the file.
Outcome saveFileAtomically(const QString &path, const QByteArray &bytes);

// "addr.vdl" in the data folder, written whole or not at all (read by loadRecipientLines).
Outcome saveRecipientLines(const QStringList &lines);
// The group names from "grp.vdl" in the data folder; none when it is missing.
QStringList loadGroupNames();

} // namespace vandrel::link
