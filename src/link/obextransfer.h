#pragma once
// Every change to the phone's user file system and every copy over OBEX, in both directions:
// one OBEX pass per operation (AT^SQWE=0, AT^SQWE=3, connect, walk to the folder, the work,
// the final listing, "+++"). Folder copies are recursive coroutines that list each folder
// themselves. Downloads are written beside their target and replace it only when complete;
// an upload goes to "~name.tmp" and is moved onto its name (the old file deleted first) only
// after it arrived whole.
#include "obexsession.h"
#include "overwrite.h"
#include "phonelink.h"
#include "transfer.h"

#include <core/obex/transfer.h>

#include <QCoroTask>
#include <QFileInfo>
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

namespace vandrel::link {

// Whether a name the phone sent may become a file or folder name inside a local folder: no
// path separators, no NUL, not "." or "..", no drive prefix.
bool isSafeLocalName(QStringView name);

class ObexTransfer : public Transfer {
    Q_OBJECT
public:
    ObexTransfer(PhoneLink &link, QuestionAsker &asker, QObject *parent = nullptr);

    // The phone folder's free space from the last listing; without a figure, an upload asks
    // the phone first.
    void setPhoneFreeSpace(std::optional<quint64> bytes) { m_phoneFree = bytes; }
    std::optional<quint64> phoneFreeSpace() const { return m_phoneFree; }
    // Free space of the local drive holding a folder (tests replace it).
    void setLocalFreeSpace(std::function<qint64(const QString &folder)> query) { m_localFree = std::move(query); }

    // Phone entries (captions, folders in brackets) of `phonePath` into `localFolder`.
    QCoro::Task<Outcome> download(QStringList phonePath, QStringList captions, QString localFolder);
    // Entries of `localFolder` (captions) into `phonePath`.
    QCoro::Task<Outcome> upload(QStringList phonePath, QStringList captions, QString localFolder);
    // Deletes the entries; one entry is followed by a new listing, several are not.
    QCoro::Task<Outcome> remove(QStringList phonePath, QStringList captions);
    QCoro::Task<Outcome> rename(QStringList phonePath, QString oldName, QString newName);
    // Creates the folder (or enters it when it exists) and lists it.
    QCoro::Task<Outcome> createFolder(QStringList phonePath, QString name);
    // One phone file to a fixed local path; a phone that does not send it is a failure.
    QCoro::Task<Outcome> getFile(QStringList phonePath, QString name, QString localPath);

    // Any operation by its request: ReadFile needs `localFile` (OBEX reads go to a file);
    // WriteFile is an upload of that one file.
    QCoro::Task<Result<QByteArray>> run(TransferRequest request) override;

    // Ends the operation: the current wait at once, the pass after leaving OBEX mode.
    void cancel() override;
    bool isCancelled() const override { return m_cancelled; }
    bool isRunning() const override { return m_running; }

    // The listing that ended the operation, when it made one, and the folder it shows.
    bool hasListing() const { return m_hasListing; }
    const ObexFolder &listing() const { return m_listing; }
    const QStringList &listingPath() const { return m_listingPath; }
    // Names from the phone refused as local names.
    const QStringList &refusedNames() const { return m_refused; }

private:
    // The operation of the running pass, kept here rather than in lambdas handed between
    // coroutines.
    enum class Op { Download, Upload, Delete, Rename, CreateFolder, GetFile };
    struct Job {
        Op op = Op::Download;
        QStringList captions;
        QString localFolder;
        QString name;
        QString newName;
        QString localPath;
    };
    enum class ListAfter { No, Yes };
    QCoro::Task<Outcome> start(QStringList path, Job job, ListAfter listAfter);
    QCoro::Task<Outcome> pass(QStringList path, ListAfter listAfter);
    QCoro::Task<Outcome> work();
    static QCoro::Task<Outcome> busy();
    QCoro::Task<Outcome> removeOrphan(QStringList path, QString name);

    // Sends `request` and returns what `judge` makes of the reply.
    QCoro::Task<Result<obex::Next>> exchange(obex::Next request, ObexSession::Judge judge);
    QCoro::Task<Outcome> expectSuccess(obex::Next request, QString what);
    QCoro::Task<Outcome> enterFolder(QString name, bool create);
    QCoro::Task<Outcome> leaveFolder();

    QCoro::Task<Outcome> downloadEntries(QStringList captions, QString localFolder);
    QCoro::Task<Outcome> downloadFolder(QString name, QString localFolder);
    QCoro::Task<Outcome> downloadFile(QString name, QString localFolder);
    QCoro::Task<Outcome> fetch(QString name, QString target);

    QCoro::Task<Outcome> uploadEntries(QStringList captions, QString localFolder);
    QCoro::Task<Outcome> uploadFolder(QString localDir, QString name);
    QCoro::Task<Outcome> uploadFile(QString localPath, QString name, QStringList existing);
    QCoro::Task<Outcome> sendFile(QString localPath, QString name, bool replacing);

    QCoro::Task<Outcome> removeEntries(QStringList captions);

    QCoro::Task<Result<QStringList>> phoneNames();
    QCoro::Task<Outcome> goOnAfter(GoOnQuestion question, QString subject);
    bool refuseName(const QString &name);
    // A computer entry an upload cannot copy: warned about and remembered.
    bool passOver(const QFileInfo &entry);

    QString phonePathText() const;
    qint64 localFree(const QString &folder) const;

    PhoneLink &m_link;
    OverwriteQuestions m_questions;
    Job m_job;
    std::optional<quint64> m_phoneFree;
    std::function<qint64(const QString &)> m_localFree;
    ObexSession *m_obex = nullptr;
    obex::Command m_command;
    ObexSession::Judge m_commandJudge;
    QStringList m_path;            // where the phone stands now
    bool m_cancelled = false;
    bool m_running = false;
    bool m_hasListing = false;
    ObexFolder m_listing;
    QStringList m_listingPath;
    QStringList m_refused;
    QStringList m_passedOver;      // computer entries an upload could not copy, with the reason
    QString m_orphan;              // "~name.tmp" of an upload that has not been moved into place
    QStringList m_orphanPath;
};

} // namespace vandrel::link
