#pragma once
// Whole-tree work on the BREW file system: copying files and folders from the phone and to it,
// and removing folders with everything in them. Existing files are asked about through the
// shared overwrite questions; Cancel stops the operation.
#include "brewsession.h"
#include "overwrite.h"
#include "transfer.h"

#include <QFileInfo>
#include <QPointer>
#include <QStringList>
#include <utility>

namespace vandrel::link {

class BrewCopier : public QObject {
    Q_OBJECT
public:
    BrewCopier(BrewSession &session, OverwriteQuestions &questions, QObject *parent = nullptr);

    // On: a file or folder the phone would not remove, and a file that could not be replaced,
    // are asked about (name + message 52, Yes/No/Cancel); Yes goes on with the next entry, any
    // other answer stops as cancelled. Off: such a failure ends the operation.
    void setAskAfterFailure(bool on) { m_askAfterFailure = on; }

    // Ends the exchange in flight at once; every loop stops at its next step.
    void cancel();
    void resetCancel() { m_cancelled = false; }
    bool isCancelled() const { return m_cancelled; }

    // What `phoneName` is: a folder ("" the root), a file, or nothing (NotFound).
    QCoro::Task<Result<explorer::DirEntry>> lookup(QString phoneName);

    // One phone file into the local file `localFile`.
    QCoro::Task<Outcome> getFile(QString phoneName, QString localFile);
    // A phone folder and everything in it into a new (or existing) folder of `localParent`
    // named like it; the root's contents go straight into `localParent`.
    QCoro::Task<Outcome> getFolder(QString phoneFolder, QString localParent);
    // One local file into the phone folder, written over an existing phone file.
    QCoro::Task<Outcome> putFile(QString localFile, QString phoneFolder);
    // The same with the folder's listing at hand (`existing` must outlive the call).
    QCoro::Task<Outcome> putFileInto(QString localFile, QString phoneFolder, const BrewFolder &existing);
    // A local folder and everything in it into a folder of the same name in `phoneFolder`.
    QCoro::Task<Outcome> putFolder(QString localDir, QString phoneFolder);
    // A phone folder with everything in it.
    QCoro::Task<Outcome> removeFolder(QString phoneFolder);

    // After a removal or replacement failed: the question of setAskAfterFailure, or the failure.
    QCoro::Task<Outcome> goOnAfter(Outcome failure, QString caption);

    // The phone file a write was cut short in (cancelled or refused), until taken.
    QString takeUnfinishedWrite() { return std::exchange(m_unfinishedWrite, {}); }

    // A computer entry an upload cannot copy (a link to a folder, a FIFO, ...): warned about
    // and remembered; true when it is to be passed over.
    bool passOver(const QFileInfo &entry);
    // The warnings of entries passed over since the last take.
    QStringList takePassedOver() { return std::exchange(m_passedOver, {}); }

    // Files copied and files skipped (answered No) so far.
    int copied() const { return m_copied; }
    int skipped() const { return m_skipped; }

signals:
    // One line about the file in hand or a name passed over.
    void notice(const QString &text);
    // Something the operation was asked to do and did not (an entry passed over).
    void warning(const QString &text);
    // What a progress window shows: what is being done and its two lines.
    void phaseChanged(link::TransferPhase phase);
    void linesChanged(const link::TransferLine &upper, const link::TransferLine &lower);

private:
    bool stopped(const QPointer<BrewCopier> &self) const { return !self || m_cancelled; }

    BrewSession &m_session;
    OverwriteQuestions &m_questions;
    bool m_askAfterFailure = false;
    bool m_cancelled = false;
    QString m_unfinishedWrite;
    QStringList m_passedOver;
    int m_copied = 0;
    int m_skipped = 0;
};

// Whether a write that ended so may have left a cut-off file on the phone (and the port is still
// there to remove it): the phone took a block of it before the write was cancelled or refused.
bool mayLeavePartialWrite(const BrewWrite &written);
// Said when the link failed in the middle of a write: the phone may keep a part of the file.
QString partialWriteNote(const QString &phoneName);
// The outcome of a write over an existing phone file, saying when the old file is gone.
Outcome replacementOutcome(const BrewWrite &written, const QString &phoneName);

} // namespace vandrel::link
