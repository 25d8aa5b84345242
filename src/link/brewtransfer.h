#pragma once
// The operations of the BREW progress window: copying selected rows from the phone and to it
// (folders recursively), deleting selected rows (folders recursively, after one warning),
// creating a folder, reading one file into a local file and/or memory, and writing one file.
// Copies, deletes and new folders end by listing the pane's folder again, also when they were
// cancelled or stopped; the listing is handed out for the phone pane.
#include "brewcopy.h"
#include "brewsession.h"
#include "overwrite.h"
#include "phonelink.h"
#include "transfer.h"

#include <QCoroTask>
#include <QObject>
#include <QStringList>
#include <chrono>

namespace vandrel::link {

class BrewTransfer : public Transfer {
    Q_OBJECT
public:
    // How long a cancelled operation waits for the reply still owed before it lists again.
    static constexpr std::chrono::milliseconds kLateReplyLimit{250};

    BrewTransfer(PhoneLink &link, QuestionAsker &asker, QObject *parent = nullptr);

    // Any operation by its request; the phone folder's names are joined into the BREW path.
    QCoro::Task<Result<QByteArray>> run(TransferRequest request) override;

    // Download: the phone rows `captions` of `brewPath` into the folder `brewLocalDir`.
    QCoro::Task<Outcome> download(QString brewPath, QStringList captions, QString brewLocalDir);
    // Upload: the computer rows `captions` of `brewLocalDir` into `brewPath`.
    QCoro::Task<Outcome> upload(QString brewPath, QStringList captions, QString brewLocalDir);
    // Delete: the phone rows `captions` of `brewPath`; folders with everything in them.
    QCoro::Task<Outcome> remove(QString brewPath, QStringList captions, bool brewDirWarning);
    // CreateFolder: a new folder in `brewPath`; an empty name does nothing.
    QCoro::Task<Outcome> createFolder(QString brewPath, QString newFolderName);
    // ReadFile: the phone file `brewName` (folder + name); the bytes are the result and are
    // also saved as `brewMemoryTarget` when one is given.
    QCoro::Task<Result<QByteArray>> readFile(QString brewName, QString brewMemoryTarget);
    // WriteFile: the local file `brewUploadFile` to the phone name `brewName`.
    QCoro::Task<Outcome> writeFile(QString brewUploadFile, QString brewName);

    // Ends the wait in flight at once; the operation stops at its next step and lists again.
    void cancel() override;
    bool isCancelled() const override { return m_cancelled; }
    bool isRunning() const override { return m_running; }

    // The listing that ended the operation, when it made one.
    bool hasListing() const { return m_hasListing; }
    const BrewFolder &listing() const { return m_listing; }

    BrewSession &session() { return m_session; }

private:
    enum class Op { Download, Upload, Delete, CreateFolder };
    struct Job {
        Op op = Op::Download;
        QString brewPath;
        QStringList captions;
        QString localDir;
        QString name;
        bool dirWarning = true;
    };
    QCoro::Task<Outcome> run(Job job);
    QCoro::Task<Outcome> work();
    QCoro::Task<Outcome> copyEntries();
    QCoro::Task<Outcome> downloadEntry(QString caption);
    // `here`: the listing of the pane's folder (kept by the caller).
    QCoro::Task<Outcome> uploadEntry(QString caption, const BrewFolder &here);
    QCoro::Task<Outcome> removeEntries();
    QCoro::Task<Outcome> makeFolder();
    // The start of every operation.
    void begin();
    QCoro::Task<void> settle(QString unfinished = {});
    static QCoro::Task<Outcome> busy();

    PhoneLink &m_link;
    BrewSession m_session;
    OverwriteQuestions m_questions;
    BrewCopier m_copier;
    Job m_job;
    bool m_cancelled = false;
    bool m_running = false;
    bool m_hasListing = false;
    BrewFolder m_listing;
};

} // namespace vandrel::link
