#include "phonebookfiles.h"

#include "paths.h"

#include <core/phonebook/sidelines.h>
#include <core/phonedb/groups.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace vandrel::link {

QCoro::Task<Result<QByteArray>> readPhonebook(TransferRunner run)
{
    TransferRequest request;
    request.op = TransferOp::ReadFile;
    request.name = kPhonebookPhoneName;
    co_return co_await run(std::move(request));
}

QString backupFileName(const QString &folder, const QDateTime &when)
{
    const QString stem = QStringLiteral("pbm_master_v_20-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = QDir(folder).filePath(stem + QStringLiteral(".dat"));
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = QDir(folder).filePath(QStringLiteral("%1-%2.dat").arg(stem).arg(n));
    return name;
}

QString phonebookBackupFolder()
{
    const QString folder = QDir(dataFolder()).filePath(QStringLiteral("backups"));
    QDir().mkpath(folder);
    return folder;
}

Outcome saveFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        return Outcome::failed(FailureKind::LocalFile,
                               QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), f.errorString()));
    return Outcome::completed();
}

namespace {

QCoro::Task<Outcome> writeBytes(TransferRunner run, QByteArray bytes)
{
    // The transfer sends a file; the new book goes through a private temporary one.
    QTemporaryFile file(QDir(QDir::tempPath()).filePath(QStringLiteral("vdlcXXXXXX")));
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        co_return Outcome::failed(FailureKind::LocalFile,
                                  QStringLiteral("Cannot write a temporary file: %1").arg(file.errorString()));
    file.close();
    TransferRequest request;
    request.op = TransferOp::WriteFile;
    request.name = kPhonebookPhoneName;
    request.localFile = file.fileName();
    const Result<QByteArray> written = co_await run(std::move(request));
    co_return written.outcome;
}

} // namespace

QCoro::Task<PhonebookWrite> writePhonebook(TransferRunner run, phonebook::ContactList contacts, QString backupFolder,
                                           ConfirmChanges confirm)
{
    PhonebookWrite w;
    w.problems = phonebook::checkForPhone(contacts);
    if (!w.problems.isEmpty()) {
        w.outcome = Outcome::failed(FailureKind::Usage, w.problems.first().text);
        co_return w;
    }
    const Checked<QByteArray> bytes = phonebook::EncodeAddressBook(contacts);
    if (!bytes) {
        w.outcome = Outcome::failed(FailureKind::Usage, bytes.error());
        co_return w;
    }
    // The phone has no rename: its only copy is kept here before the new one goes over it.
    const Result<QByteArray> old = co_await readPhonebook(run);
    if (!old.ok() && !(old.outcome.isFailed() && old.outcome.kind == FailureKind::NotFound)) {
        w.outcome = old.outcome;
        co_return w;
    }
    if (old.ok()) {
        w.backupFile = backupFileName(backupFolder, QDateTime::currentDateTime());
        w.outcome = saveFileAtomically(w.backupFile, old.value);
        if (!w.outcome.ok()) {
            w.backupFile.clear();
            co_return w;
        }
    }
    if (confirm) {
        const phonebook::ContactList onPhone = phonebook::DecodeAddressBook(old.value).contacts;
        const bool goOn = co_await confirm(phonebook::summarizeChanges(onPhone, contacts));
        if (!goOn) {
            w.outcome = Outcome::cancelled();
            co_return w;
        }
    }
    w.outcome = co_await writeBytes(run, *bytes);
    w.offerRestore = w.outcome.isFailed() && !w.backupFile.isEmpty() && w.outcome.kind != FailureKind::LocalFile;
    co_return w;
}

QCoro::Task<Outcome> restorePhonebook(TransferRunner run, QString backupFile)
{
    QFile f(backupFile);
    if (!f.open(QIODevice::ReadOnly))
        co_return Outcome::failed(FailureKind::LocalFile,
                                  QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(backupFile), f.errorString()));
    co_return co_await writeBytes(run, f.readAll());
}

Outcome saveRecipientLines(const QStringList &lines)
{
    return saveFileAtomically(dataFile(phonebook::kRecipientFileName), phonebook::writeSideLines(lines));
}

QStringList loadGroupNames()
{
    QFile f(dataFile(phonebook::kGroupSideFileName));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return phonedb::groupNamesFromSideLines(phonebook::readSideLines(f.readAll()));
}

} // namespace vandrel::link
