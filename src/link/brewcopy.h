#pragma once
// Whole-tree work on the BREW file system: copying files and folders from the phone and to it,
// and removing folders with everything in them. Existing files are asked about through the
// shared overwrite questions; Cancel stops the operation.
#include "brewsession.h"
#include "overwrite.h"

namespace vandrel::link {

class BrewCopier : public QObject {
    Q_OBJECT
public:
    BrewCopier(BrewSession &session, OverwriteQuestions &questions, QObject *parent = nullptr);

    // What `phoneName` is: a folder ("" the root), a file, or nothing (NotFound).
    QCoro::Task<Result<explorer::DirEntry>> lookup(QString phoneName);

    // One phone file into the local file `localFile`.
    QCoro::Task<Outcome> getFile(QString phoneName, QString localFile);
    // A phone folder and everything in it into a new (or existing) folder of `localParent`
    // named like it; the root's contents go straight into `localParent`.
    QCoro::Task<Outcome> getFolder(QString phoneFolder, QString localParent);
    // One local file into the phone folder; an existing phone file is removed first.
    QCoro::Task<Outcome> putFile(QString localFile, QString phoneFolder);
    // A local folder and everything in it into a folder of the same name in `phoneFolder`.
    QCoro::Task<Outcome> putFolder(QString localDir, QString phoneFolder);
    // A phone folder with everything in it.
    QCoro::Task<Outcome> removeFolder(QString phoneFolder);

    // Files copied and files skipped (answered No) so far.
    int copied() const { return m_copied; }
    int skipped() const { return m_skipped; }

signals:
    // One line about the file in hand or a name passed over.
    void notice(const QString &text);

private:
    QCoro::Task<Outcome> putFileInto(QString localFile, QString phoneFolder, const BrewFolder &existing);

    BrewSession &m_session;
    OverwriteQuestions &m_questions;
    int m_copied = 0;
    int m_skipped = 0;
};

} // namespace vandrel::link
