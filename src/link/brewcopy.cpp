#include "brewcopy.h"

#include "localfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace vandrel::link {

namespace {

Outcome fromDecision(OverwriteDecision d)
{
    return d == OverwriteDecision::Stop ? Outcome::cancelled() : Outcome::completed();
}

QString folderCaption(const QString &phoneFolder)
{
    return QLatin1Char('[') + brew::brewBaseName(phoneFolder) + QLatin1Char(']');
}

} // namespace

Outcome replacementOutcome(const BrewWrite &written, const QString &phoneName)
{
    // The phone has no rename: once it took a block of the new file, the old one is gone.
    Outcome o = written.outcome;
    if (o.ok() || !written.begun)
        return o;
    if (o.isLinkFailure()) {
        o.detail += QLatin1Char(' ') + partialWriteNote(phoneName);
        return o;
    }
    const QString gone = QStringLiteral("The old %1 on the phone is gone.").arg(phoneName);
    if (o.isCancelled())
        return Outcome::failed(FailureKind::Refused, QStringLiteral("The copy was cancelled. ") + gone);
    o.detail += QLatin1Char(' ') + gone;
    return o;
}

QString partialWriteNote(const QString &phoneName)
{
    return QStringLiteral("%1 on the phone may be left incomplete.").arg(phoneName);
}

bool mayLeavePartialWrite(const BrewWrite &written)
{
    return written.begun && !written.outcome.ok() && !written.outcome.isLinkFailure();
}

BrewCopier::BrewCopier(BrewSession &session, OverwriteQuestions &questions, QObject *parent)
    : QObject(parent), m_session(session), m_questions(questions)
{
}

void BrewCopier::cancel()
{
    m_cancelled = true;
    m_session.cancelWait();
}

QCoro::Task<Outcome> BrewCopier::goOnAfter(Outcome failure, QString caption)
{
    QPointer<BrewCopier> self(this);
    // Only the phone's or the disk's refusal is a question; a broken link ends everything.
    const bool askable = failure.isFailed() && (failure.kind == FailureKind::Refused || failure.kind == FailureKind::LocalFile);
    if (!m_askAfterFailure || !askable || m_cancelled)
        co_return failure;
    const Answer answer = co_await m_questions.asker().askGoOn(GoOnQuestion::NotRemoved, caption);
    if (stopped(self))
        co_return Outcome::cancelled();
    if (answer != Answer::Yes)
        co_return Outcome::cancelled();
    ++m_skipped;
    co_return Outcome::completed();
}

QCoro::Task<Result<explorer::DirEntry>> BrewCopier::lookup(QString phoneName)
{
    using R = Result<explorer::DirEntry>;
    QPointer<BrewCopier> self(this);
    const QString name = brew::brewBaseName(phoneName);
    if (name.isEmpty())
        co_return R::of(explorer::DirEntry::folder(QString()));
    const auto parent = co_await m_session.listBrewFolder(brew::brewParentPath(phoneName));
    if (stopped(self))
        co_return R::from(Outcome::cancelled());
    if (!parent.ok())
        co_return R::from(parent.outcome);
    if (const explorer::DirEntry *e = parent.value.find(name))
        co_return R::of(*e);
    co_return R::from(Outcome::failed(FailureKind::NotFound, QStringLiteral("The phone has no %1.").arg(phoneName)));
}

QCoro::Task<Outcome> BrewCopier::getFile(QString phoneName, QString localFile)
{
    QPointer<BrewCopier> self(this);
    if (m_cancelled)
        co_return Outcome::cancelled();
    const QFileInfo info(localFile);
    const QString localDir = QDir::toNativeSeparators(info.absolutePath() + QLatin1Char('/'));
    bool replacing = false;
    if (info.exists() || info.isSymLink()) {
        const QString where = localDir + info.fileName();
        const auto decision = co_await m_questions.decide(where);
        if (stopped(self))
            co_return Outcome::cancelled();
        if (decision != OverwriteDecision::Replace) {
            m_skipped += decision == OverwriteDecision::Skip;
            co_return fromDecision(decision);
        }
        replacing = true;
    }
    emit notice(QStringLiteral("%1 -> %2").arg(phoneName, QDir::toNativeSeparators(localFile)));
    emit linesChanged({LinePrefix::From, phoneName}, {LinePrefix::To, localDir});
    const auto read = co_await m_session.readBrewFile(brew::brewParentPath(phoneName), brew::brewBaseName(phoneName), QString(), localFile);
    if (stopped(self))
        co_return Outcome::cancelled();
    m_copied += read.ok();
    if (replacing && read.outcome.kind == FailureKind::LocalFile)
        co_return co_await goOnAfter(read.outcome, info.fileName());
    co_return read.outcome;
}

QCoro::Task<Outcome> BrewCopier::getFolder(QString phoneFolder, QString localParent)
{
    QPointer<BrewCopier> self(this);
    phoneFolder = brew::brewFolderPath(phoneFolder);
    QString localDir = localParent;
    if (!phoneFolder.isEmpty()) {
        const auto safe = brew::safeLocalName(brew::brewBaseName(phoneFolder));
        if (!safe)
            co_return Outcome::failed(FailureKind::Malformed,
                                      QStringLiteral("The phone folder name \"%1\" is not safe here.").arg(brew::brewBaseName(phoneFolder)));
        localDir = QDir(localParent).filePath(*safe);
    }
    if (!QDir().mkpath(localDir))
        co_return Outcome::failed(FailureKind::LocalFile,
                                  QStringLiteral("Cannot create the folder %1.").arg(QDir::toNativeSeparators(localDir)));
    const auto listing = co_await m_session.listBrewFolder(phoneFolder);
    if (stopped(self))
        co_return Outcome::cancelled();
    if (!listing.ok())
        co_return listing.outcome;
    int unsafe = 0;
    for (const explorer::DirEntry &e : listing.value.entries) {
        const auto safe = brew::safeLocalName(e.name);
        if (!safe) {
            // A name that would land outside the folder (or nowhere) is passed over.
            ++unsafe;
            emit notice(QStringLiteral("passed over \"%1\" in %2: not a safe local name").arg(e.name, phoneFolder));
            continue;
        }
        Outcome o;
        if (e.isFolder)
            o = co_await getFolder(phoneFolder + e.name + QLatin1Char('/'), localDir);
        else
            o = co_await getFile(phoneFolder + e.name, QDir(localDir).filePath(*safe));
        if (stopped(self))
            co_return Outcome::cancelled();
        if (!o.ok())
            co_return o;
    }
    if (unsafe > 0)
        co_return Outcome::failed(FailureKind::Malformed,
                                  QStringLiteral("%1 name(s) in %2 could not be saved safely and were passed over.")
                                      .arg(unsafe)
                                      .arg(phoneFolder.isEmpty() ? QStringLiteral("/") : phoneFolder));
    co_return Outcome::completed();
}

QCoro::Task<Outcome> BrewCopier::putFile(QString localFile, QString phoneFolder)
{
    QPointer<BrewCopier> self(this);
    const auto existing = co_await m_session.listBrewFolder(phoneFolder);
    if (stopped(self))
        co_return Outcome::cancelled();
    if (!existing.ok())
        co_return existing.outcome;
    co_return co_await putFileInto(localFile, brew::brewFolderPath(phoneFolder), existing.value);
}

QCoro::Task<Outcome> BrewCopier::putFileInto(QString localFile, QString phoneFolder, const BrewFolder &existing)
{
    QPointer<BrewCopier> self(this);
    if (m_cancelled)
        co_return Outcome::cancelled();
    phoneFolder = brew::brewFolderPath(phoneFolder);
    const QString name = QFileInfo(localFile).fileName();
    const QString phoneName = phoneFolder + name;
    bool replacing = false;
    if (const explorer::DirEntry *e = existing.find(name)) {
        if (e->isFolder)
            co_return Outcome::failed(FailureKind::Refused,
                                      QStringLiteral("The phone has a folder named %1.").arg(phoneName));
        const QString where = phoneFolder + name;
        const auto decision = co_await m_questions.decide(where);
        if (stopped(self))
            co_return Outcome::cancelled();
        if (decision != OverwriteDecision::Replace) {
            m_skipped += decision == OverwriteDecision::Skip;
            co_return fromDecision(decision);
        }
        if (!QFileInfo(localFile).isReadable())
            co_return Outcome::failed(FailureKind::LocalFile,
                                      QStringLiteral("Cannot read %1.").arg(QDir::toNativeSeparators(localFile)));
        // The new content is written over the old file: a phone that refuses the first block
        // (no room, say) leaves the old one where it was.
        replacing = true;
    }
    emit notice(QStringLiteral("%1 -> %2").arg(QDir::toNativeSeparators(localFile), phoneName));
    emit phaseChanged(TransferPhase::Uploading);
    emit linesChanged({LinePrefix::From, QDir::toNativeSeparators(localFile)}, {LinePrefix::To, QLatin1Char('/') + phoneFolder});
    m_unfinishedWrite = phoneName;
    const BrewWrite write = co_await m_session.writeBrewFile(localFile, phoneName);
    if (!self)
        co_return Outcome::cancelled();
    if (!mayLeavePartialWrite(write))
        m_unfinishedWrite.clear();
    const Outcome written = replacing || write.outcome.isLinkFailure() ? replacementOutcome(write, phoneName) : write.outcome;
    if (m_cancelled && !written.isFailed())
        co_return Outcome::cancelled();
    m_copied += written.ok();
    co_return written;
}

QCoro::Task<Outcome> BrewCopier::putFolder(QString localDir, QString phoneFolder)
{
    QPointer<BrewCopier> self(this);
    if (m_cancelled)
        co_return Outcome::cancelled();
    phoneFolder = brew::brewFolderPath(phoneFolder);
    localDir = cleanLocalPath(localDir);
    const QString name = QFileInfo(localDir).fileName();
    const QDir dir(localDir);
    if (!dir.exists() || !dir.isReadable())
        co_return Outcome::failed(FailureKind::LocalFile,
                                  QStringLiteral("Cannot read the folder %1.").arg(QDir::toNativeSeparators(localDir)));
    const Outcome made = co_await m_session.makeBrewFolder(phoneFolder, name);
    if (stopped(self))
        co_return Outcome::cancelled();
    if (!made.ok() && made.kind != FailureKind::Refused)
        co_return made;
    // A folder that exists already refuses to be made again; its listing tells.
    const QString target = phoneFolder + name + QLatin1Char('/');
    const auto existing = co_await m_session.listBrewFolder(target);
    if (stopped(self))
        co_return Outcome::cancelled();
    if (!existing.ok())
        co_return made.ok() ? existing.outcome : made;
    for (const QFileInfo &e : entriesToUpload(localDir)) {
        if (passOver(e))
            continue;
        Outcome o;
        if (e.isDir())
            o = co_await putFolder(e.filePath(), target);
        else
            o = co_await putFileInto(e.filePath(), target, existing.value);
        if (!self)
            co_return Outcome::cancelled();
        if (!o.ok())
            co_return o;
        if (m_cancelled)
            co_return Outcome::cancelled();
    }
    co_return Outcome::completed();
}

bool BrewCopier::passOver(const QFileInfo &entry)
{
    if (uploadKind(entry) != UploadKind::Skip)
        return false;
    const QString why = skipReason(entry);
    m_passedOver.append(why);
    emit warning(why);
    return true;
}

QCoro::Task<Outcome> BrewCopier::removeFolder(QString phoneFolder)
{
    QPointer<BrewCopier> self(this);
    if (m_cancelled)
        co_return Outcome::cancelled();
    phoneFolder = brew::brewFolderPath(phoneFolder);
    if (phoneFolder.isEmpty())
        co_return Outcome::failed(FailureKind::Usage, QStringLiteral("The root folder cannot be removed."));
    emit phaseChanged(TransferPhase::Deleting);
    const auto listing = co_await m_session.listBrewFolder(phoneFolder);
    if (stopped(self))
        co_return Outcome::cancelled();
    if (!listing.ok())
        co_return listing.outcome;
    for (const explorer::DirEntry &e : listing.value.entries) {
        emit notice(QStringLiteral("removing %1%2").arg(phoneFolder, e.caption()));
        Outcome o;
        if (e.isFolder) {
            o = co_await removeFolder(phoneFolder + e.name + QLatin1Char('/'));
        } else {
            emit linesChanged({}, {LinePrefix::From, phoneFolder + e.name});
            o = co_await m_session.removeBrewFile(phoneFolder + e.name);
            if (stopped(self))
                co_return Outcome::cancelled();
            if (!o.ok())
                o = co_await goOnAfter(o, e.name);
        }
        if (stopped(self))
            co_return Outcome::cancelled();
        if (!o.ok())
            co_return o;
    }
    // The folder itself, its path with the trailing "/".
    emit linesChanged({}, {LinePrefix::From, phoneFolder});
    const Outcome removed = co_await m_session.removeBrewFolder(phoneFolder);
    if (stopped(self))
        co_return Outcome::cancelled();
    if (!removed.ok())
        co_return co_await goOnAfter(removed, folderCaption(phoneFolder));
    co_return removed;
}

} // namespace vandrel::link
