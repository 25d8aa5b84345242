#include "brewtransfer.h"

#include <core/brew/replies.h>
#include <core/explorer/direntry.h>

#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace vandrel::link {

BrewTransfer::BrewTransfer(PhoneLink &link, QuestionAsker &asker, QObject *parent)
    : Transfer(parent), m_link(link), m_session(link), m_questions(asker), m_copier(m_session, m_questions)
{
    m_copier.setAskAfterFailure(true);
    connect(&m_copier, &BrewCopier::phaseChanged, this, &BrewTransfer::phaseChanged);
    connect(&m_copier, &BrewCopier::linesChanged, this, &BrewTransfer::linesChanged);
    connect(&m_copier, &BrewCopier::warning, this, &BrewTransfer::warning);
    connect(&m_session, &BrewSession::progress, this, &BrewTransfer::progressChanged);
}

void BrewTransfer::cancel()
{
    if (!m_running || m_cancelled)
        return;
    m_cancelled = true;
    m_copier.cancel();
}

QCoro::Task<Outcome> BrewTransfer::busy()
{
    co_return Outcome::failed(FailureKind::Usage, QStringLiteral("A BREW operation is already running."));
}

void BrewTransfer::begin()
{
    m_running = true;
    m_cancelled = false;
    m_hasListing = false;
    m_listing = {};
    m_questions.reset();
    m_copier.resetCancel();
    (void)m_copier.takeUnfinishedWrite();
    (void)m_copier.takePassedOver();
}

// After a cancel or a cut-off write: the late reply is dropped and a half-written phone file
// removed, so that nothing of the stopped work is left behind.
QCoro::Task<void> BrewTransfer::settle(QString unfinished)
{
    QPointer<BrewTransfer> self(this);
    QByteArray late;
    if (m_cancelled)
        late = co_await m_session.dropLateReply(kLateReplyLimit);
    if (!self)
        co_return;
    if (unfinished.isEmpty())
        unfinished = m_copier.takeUnfinishedWrite();
    // A cancel that came while the first block was in flight: the phone's late refusal of it
    // says nothing was written, so nothing is removed.
    if (!unfinished.isEmpty() && !brew::isWriteRefused(late))
        (void)co_await m_session.removeBrewFile(unfinished);
}

QCoro::Task<Result<QByteArray>> BrewTransfer::run(TransferRequest r)
{
    using R = Result<QByteArray>;
    const QString path = brew::brewFolderPath(r.phoneFolder.join(QLatin1Char('/')));
    const QString phoneName = path + r.name;
    Outcome o;
    switch (r.op) {
    case TransferOp::Download: o = co_await download(path, r.captions, r.localFolder); break;
    case TransferOp::Upload: o = co_await upload(path, r.captions, r.localFolder); break;
    case TransferOp::Delete: o = co_await remove(path, r.captions, r.folderWarning); break;
    case TransferOp::CreateFolder: o = co_await createFolder(path, r.name); break;
    case TransferOp::Rename:
        o = Outcome::failed(FailureKind::Usage, QStringLiteral("The BREW file system has no rename."));
        break;
    case TransferOp::ReadFile: co_return co_await readFile(phoneName, r.localFile);
    case TransferOp::WriteFile: o = co_await writeFile(r.localFile, phoneName); break;
    }
    co_return R::from(o);
}

QCoro::Task<Outcome> BrewTransfer::download(QString brewPath, QStringList captions, QString brewLocalDir)
{
    return run({Op::Download, std::move(brewPath), std::move(captions), std::move(brewLocalDir), {}, true});
}

QCoro::Task<Outcome> BrewTransfer::upload(QString brewPath, QStringList captions, QString brewLocalDir)
{
    return run({Op::Upload, std::move(brewPath), std::move(captions), std::move(brewLocalDir), {}, true});
}

QCoro::Task<Outcome> BrewTransfer::remove(QString brewPath, QStringList captions, bool brewDirWarning)
{
    return run({Op::Delete, std::move(brewPath), std::move(captions), {}, {}, brewDirWarning});
}

QCoro::Task<Outcome> BrewTransfer::createFolder(QString brewPath, QString newFolderName)
{
    return run({Op::CreateFolder, std::move(brewPath), {}, {}, std::move(newFolderName), true});
}

QCoro::Task<Outcome> BrewTransfer::run(Job job)
{
    if (m_running)
        co_return co_await busy();
    QPointer<BrewTransfer> self(this);
    begin();
    // The port is this operation's until it ends, questions and all.
    const PhoneLink::Claim claim = m_link.claim(PhoneLink::Port::Diag);
    m_job = std::move(job);
    m_job.brewPath = brew::brewFolderPath(m_job.brewPath);
    // A new folder without a name: nothing to do, nothing to list.
    if (m_job.op == Op::CreateFolder && m_job.name.isEmpty()) {
        m_running = false;
        co_return Outcome::completed();
    }
    Outcome o = co_await work();
    if (!self)
        co_return Outcome::cancelled();
    if (m_cancelled && !o.isFailed())
        o = Outcome::cancelled();
    if (const QStringList passedOver = m_copier.takePassedOver(); o.ok() && !passedOver.isEmpty())
        o = Outcome::failed(FailureKind::LocalFile, passedOver.join(QLatin1Char('\n')));
    if (!o.isLinkFailure()) {
        co_await settle();
        if (!self)
            co_return Outcome::cancelled();
        const auto listed = co_await m_session.listBrewFolder(m_job.brewPath);
        if (!self)
            co_return Outcome::cancelled();
        if (listed.ok()) {
            m_hasListing = true;
            m_listing = listed.value;
        } else if (!o.isFailed() || listed.outcome.isLinkFailure()) {
            o = listed.outcome;
        }
    }
    m_running = false;
    co_return o;
}

QCoro::Task<Outcome> BrewTransfer::work()
{
    switch (m_job.op) {
    case Op::Download:
    case Op::Upload: return copyEntries();
    case Op::Delete: return removeEntries();
    case Op::CreateFolder: break;
    }
    return makeFolder();
}

QCoro::Task<Outcome> BrewTransfer::copyEntries()
{
    QPointer<BrewTransfer> self(this);
    const bool toPhone = m_job.op == Op::Upload;
    BrewFolder here;
    if (toPhone) {
        // What the phone folder holds decides which files are replacements.
        const auto existing = co_await m_session.listBrewFolder(m_job.brewPath);
        if (!self)
            co_return Outcome::cancelled();
        if (!existing.ok())
            co_return existing.outcome;
        here = existing.value;
    }
    for (const QString &caption : m_job.captions) {
        if (m_cancelled)
            co_return Outcome::cancelled();
        if (explorer::isParentCaption(caption))
            continue;
        Outcome o;
        if (toPhone)
            o = co_await uploadEntry(caption, here);
        else
            o = co_await downloadEntry(caption);
        if (!self)
            co_return Outcome::cancelled();
        if (!o.ok())
            co_return o;
        emit entryDone(caption);
    }
    co_return Outcome::completed();
}

QCoro::Task<Outcome> BrewTransfer::downloadEntry(QString caption)
{
    const QString name = explorer::bareName(caption);
    if (explorer::isFolderCaption(caption))
        co_return co_await m_copier.getFolder(m_job.brewPath + name + QLatin1Char('/'), m_job.localDir);
    const auto safe = brew::safeLocalName(name);
    if (!safe)
        co_return Outcome::failed(FailureKind::Malformed,
                                  QStringLiteral("\"%1\" cannot be saved as a file name on this computer.").arg(name));
    co_return co_await m_copier.getFile(m_job.brewPath + name, QDir(m_job.localDir).filePath(*safe));
}

QCoro::Task<Outcome> BrewTransfer::uploadEntry(QString caption, const BrewFolder &here)
{
    const QString local = QDir(m_job.localDir).filePath(explorer::bareName(caption));
    if (m_copier.passOver(QFileInfo(local)))
        co_return Outcome::completed();
    if (explorer::isFolderCaption(caption))
        co_return co_await m_copier.putFolder(local, m_job.brewPath);
    co_return co_await m_copier.putFileInto(local, m_job.brewPath, here);
}

QCoro::Task<Outcome> BrewTransfer::removeEntries()
{
    QPointer<BrewTransfer> self(this);
    QStringList captions = m_job.captions;
    captions.removeIf([](const QString &c) { return explorer::isParentCaption(c); });
    emit phaseChanged(TransferPhase::Deleting);
    emit progressChanged(0, captions.size());
    bool warned = false;
    qint64 done = 0;
    for (const QString &caption : std::as_const(captions)) {
        if (m_cancelled)
            co_return Outcome::cancelled();
        const QString name = explorer::bareName(caption);
        Outcome o;
        if (explorer::isFolderCaption(caption)) {
            // One warning per operation, however many folders are selected.
            if (m_job.dirWarning && !warned) {
                warned = true;
                const Answer answer = co_await m_questions.asker().askGoOn(GoOnQuestion::DeleteBrewFolder, QString());
                if (!self)
                    co_return Outcome::cancelled();
                if (answer != Answer::Yes || m_cancelled)
                    co_return Outcome::cancelled();
            }
            o = co_await m_copier.removeFolder(m_job.brewPath + name + QLatin1Char('/'));
        } else {
            emit linesChanged({}, {LinePrefix::From, m_job.brewPath + name});
            o = co_await m_session.removeBrewFile(m_job.brewPath + name);
            if (!self)
                co_return Outcome::cancelled();
            if (!o.ok() && !m_cancelled)
                o = co_await m_copier.goOnAfter(o, caption);
        }
        if (!self)
            co_return Outcome::cancelled();
        if (!o.ok())
            co_return o;
        emit progressChanged(++done, captions.size());
        emit entryDone(caption);
    }
    co_return Outcome::completed();
}

QCoro::Task<Outcome> BrewTransfer::makeFolder()
{
    QPointer<BrewTransfer> self(this);
    const Outcome o = co_await m_session.makeBrewFolder(m_job.brewPath, m_job.name);
    co_return self ? o : Outcome::cancelled();
}

QCoro::Task<Result<QByteArray>> BrewTransfer::readFile(QString brewName, QString brewMemoryTarget)
{
    using R = Result<QByteArray>;
    if (m_running)
        co_return R::from(co_await busy());
    QPointer<BrewTransfer> self(this);
    begin();
    // The port is this operation's until it ends, questions and all.
    const PhoneLink::Claim claim = m_link.claim(PhoneLink::Port::Diag);
    emit linesChanged({LinePrefix::From, brewName}, {LinePrefix::To, QDir::toNativeSeparators(brewMemoryTarget)});
    R r = co_await m_session.readBrewFile(brew::brewParentPath(brewName), brew::brewBaseName(brewName), QString(), brewMemoryTarget);
    if (!self)
        co_return R::from(Outcome::cancelled());
    if (m_cancelled && !r.ok())
        r = R::from(Outcome::cancelled());
    if (m_cancelled)
        co_await settle();
    if (self)
        m_running = false;
    co_return r;
}

QCoro::Task<Outcome> BrewTransfer::writeFile(QString brewUploadFile, QString brewName)
{
    if (m_running)
        co_return co_await busy();
    QPointer<BrewTransfer> self(this);
    begin();
    // The port is this operation's until it ends, questions and all.
    const PhoneLink::Claim claim = m_link.claim(PhoneLink::Port::Diag);
    emit phaseChanged(TransferPhase::Uploading);
    emit linesChanged({LinePrefix::From, QDir::toNativeSeparators(brewUploadFile)},
                      {LinePrefix::To, QLatin1Char('/') + brew::brewParentPath(brewName)});
    const BrewWrite write = co_await m_session.writeBrewFile(brewUploadFile, brewName);
    if (!self)
        co_return Outcome::cancelled();
    // A write cut short leaves a part of the file on the phone; one that arrived whole stays,
    // even when the cancel came after its last block.
    const bool cutOff = mayLeavePartialWrite(write);
    if (cutOff || m_cancelled) {
        QString unfinished;
        if (cutOff)
            unfinished = brewName;
        co_await settle(unfinished);
    }
    if (!self)
        co_return Outcome::cancelled();
    m_running = false;
    // The single write replaces what the phone has under the name (an edited file sent back,
    // a database written whole); a cancel is the user's and needs no explaining.
    if (write.outcome.isCancelled())
        co_return write.outcome;
    co_return replacementOutcome(write, brewName);
}

} // namespace vandrel::link
