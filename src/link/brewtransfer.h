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

#include <core/settings/messagetable.h>

#include <QCoroTask>
#include <QObject>
#include <QStringList>
#include <chrono>

namespace vandrel::link {

class BrewTransfer : public QObject {
    Q_OBJECT
public:
    // How long a cancelled operation waits for the reply still owed before it lists again.
    static constexpr std::chrono::milliseconds kLateReplyLimit{250};

    BrewTransfer(PhoneLink &link, QuestionAsker &asker, QObject *parent = nullptr);

    void setMessages(const settings::MessageTable *messages) { m_copier.setMessages(messages); }
    // Who asks the folder warning of a delete (message 223); the shared asker without one.
    void setWarningAsker(QuestionAsker *asker) { m_warningAsker = asker; }

    // brewState 12: the phone rows `captions` of `brewPath` into the folder `brewLocalDir`.
    QCoro::Task<Outcome> download(QString brewPath, QStringList captions, QString brewLocalDir);
    // brewState 7: the computer rows `captions` of `brewLocalDir` into `brewPath`.
    QCoro::Task<Outcome> upload(QString brewPath, QStringList captions, QString brewLocalDir);
    // brewState 8: the phone rows `captions` of `brewPath`; folders with everything in them.
    QCoro::Task<Outcome> remove(QString brewPath, QStringList captions, bool brewDirWarning);
    // brewState 3: a new folder in `brewPath`; an empty name does nothing.
    QCoro::Task<Outcome> createFolder(QString brewPath, QString newFolderName);
    // brewState 2: the phone file `brewName` (folder + name); the bytes are the result and are
    // also saved as `brewMemoryTarget` when one is given.
    QCoro::Task<Result<QByteArray>> readFile(QString brewName, QString brewMemoryTarget);
    // brewState 6: the local file `brewUploadFile` to the phone name `brewName`.
    QCoro::Task<Outcome> writeFile(QString brewUploadFile, QString brewName);

    // Ends the wait in flight at once; the operation stops at its next step and lists again.
    void cancel();
    bool isCancelled() const { return m_cancelled; }
    bool isRunning() const { return m_running; }

    // The listing that ended the operation, when it made one.
    bool hasListing() const { return m_hasListing; }
    const BrewFolder &listing() const { return m_listing; }

    BrewSession &session() { return m_session; }
    QString text(int n) const { return m_copier.text(n); }

signals:
    void captionChanged(const QString &caption);
    void linesChanged(const QString &upper, const QString &lower);
    void progressChanged(qint64 value, qint64 maximum);
    // A selected row has been handled (the pane may deselect it).
    void entryDone(const QString &caption);
    // Something asked for that was not done (an entry passed over).
    void warning(const QString &text);

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
    QuestionAsker *m_warningAsker = nullptr;
    Job m_job;
    bool m_cancelled = false;
    bool m_running = false;
    bool m_hasListing = false;
    BrewFolder m_listing;
};

} // namespace vandrel::link
