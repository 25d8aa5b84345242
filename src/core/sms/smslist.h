#pragma once
// Rows of the message list built from the phone's list reply, and the list's backups.
#include "core/at/messagelist.h"
#include "core/diag/checked.h"
#include "pdu.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QStringList>

namespace vandrel::sms {

enum class RowKind {
    Message,        // a message, its linked parts joined
    DeliveryReport, // a stored delivery report
    Undecodable,    // an entry whose PDU could not be decoded; `text` says why
};

struct SmsRow {
    RowKind kind = RowKind::Message;
    QList<int> indexes;  // storage indexes in part order; "#" shows the first
    QStringList pdus;    // the raw PDU of every index, in the same order
    int state = -1;      // storage state; of joined parts the lowest (unread before read)
    TimeStamp stamp;     // "Datum": `stamp.text` (no zone), `stamp.when` for sorting
    QString name;        // "Jméno": from the recipient lines, or empty
    QString number;      // "Číslo"
    QString text;        // "Text"; a missing part shows as "[…]"
    int partCount = 1;   // parts the message announced
    int missingParts = 0;
    TimeStamp discharged; // delivery reports: when delivered (or given up)
    int status = -1;      // delivery reports: TP-Status

    QString indexText() const { return indexes.isEmpty() ? QString() : QString::number(indexes.first()); }
    // Every index, joined by "+": "3+4+5".
    QString indexesText() const;
    // The "Datum" column: the date, or why there is none.
    QString dateText() const { return stamp.text.isEmpty() ? stamp.problem : stamp.text; }
};

struct SmsListing {
    QList<SmsRow> rows;
    QStringList problems; // entries that could not be decoded, by storage index
};

inline const QString kMissingPart = QStringLiteral("[…]");

// Rows in the order their first entry was listed. Parts with the same concatenation
// reference, number, direction and part count are joined in part order; a part number seen
// twice starts another message. A message without text, one whose text is "xxxdelxxx" and
// data addressed to an application port give no row. `listedAt` dates stored outgoing
// messages, which carry no time stamp of their own.
SmsListing buildRows(const QList<at::StoredMessage> &messages, const QStringList &recipientLines,
                     const QDateTime &listedAt);

// The storage state as a word: "unread", "read", "sent", "unsent" (this phone's numbering,
// 2 sent and 3 unsent), else the number.
QString storageStateName(int state);

// The command-line row: indexes joined by "+", state, date with its zone, number, name,
// text; tab-separated, with backslash, tab, CR and LF inside a field written as \\ \t \r \n.
QString cliLine(const SmsRow &row);

// The column captions of the list and its backups.
const QStringList &smsColumnCaptions();

struct SheetBackup {
    QByteArray bytes;
    int cellsNotInCodePage = 0; // cells whose text cp1250 could not hold ("?" stands in)
    int cellsCut = 0;           // cells longer than a cell record holds
};

// Five text columns per row ("#" with every index, "Datum", "Jméno", "Číslo", "Text"), no
// heading row, cp1250. Cells that lose text are counted so the user can be told and offered CSV.
Checked<SheetBackup> smsBackupXls(const QList<SmsRow> &rows);

// The same columns as UTF-8 CSV with a byte-order mark (Excel reads UTF-8 only with it), a
// heading row, "," between fields, RFC 4180 quoting, CR LF after every record; line breaks
// inside a text stay inside its quoted field.
QByteArray smsBackupCsv(const QList<SmsRow> &rows);

} // namespace vandrel::sms
