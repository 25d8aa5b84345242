#include "obextransfer.h"

#include "connectsession.h"
#include "localfiles.h"

#include <core/explorer/direntry.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSaveFile>
#include <QStorageInfo>

namespace vandrel::link {

using obex::Step;

namespace {

// A step that is not the success an exchange waits for.
Outcome refusedBy(const obex::Next &next, const QString &what)
{
    switch (next.step) {
    case Step::NotFound:
        return Outcome::failed(FailureKind::NotFound, Wording::NoSuchPhoneFile, what);
    case Step::Invalid:
        return Outcome::failed(FailureKind::Usage, next.error);
    case Step::Malformed:
        return Outcome::failed(FailureKind::Malformed, next.error);
    default:
        break;
    }
    if (next.error.isEmpty())
        return Outcome::failed(FailureKind::Refused, QStringLiteral("The phone refused %1.").arg(what));
    return Outcome::failed(FailureKind::Refused, QStringLiteral("The phone refused %1 (%2).").arg(what, next.error));
}

} // namespace

bool isSafeLocalName(QStringView name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')) || name.contains(QChar(0)))
        return false;
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        return false;
#ifdef Q_OS_WIN
    if (name.contains(QLatin1Char(':')))
        return false;
#endif
    return true;
}

ObexTransfer::ObexTransfer(PhoneLink &link, QuestionAsker &asker, QObject *parent)
    : Transfer(parent), m_link(link), m_questions(asker),
      m_commandJudge([command = m_command](QByteArrayView reply) { return command.onReply(reply); })
{
}

QString ObexTransfer::phonePathText() const
{
    QString out;
    for (const QString &name : m_path)
        out += name + QLatin1Char('\\');
    return out;
}

qint64 ObexTransfer::localFree(const QString &folder) const
{
    if (m_localFree)
        return m_localFree(folder);
    const QStorageInfo storage(folder);
    return storage.isValid() ? storage.bytesAvailable() : -1;
}

void ObexTransfer::cancel()
{
    if (!m_running || m_cancelled)
        return;
    m_cancelled = true;
    m_link.reader(PhoneLink::Port::Modem).cancel();
}

bool ObexTransfer::passOver(const QFileInfo &entry)
{
    if (uploadKind(entry) != UploadKind::Skip)
        return false;
    const QString why = skipReason(entry);
    m_passedOver.append(why);
    emit warning(why);
    return true;
}

bool ObexTransfer::refuseName(const QString &name)
{
    if (isSafeLocalName(name))
        return false;
    m_refused.append(name);
    emit warning(QStringLiteral("The phone entry \"%1\" has a name that cannot be used on this computer; it was skipped.")
                     .arg(name));
    return true;
}

// ---------------------------------------------------------------------------------------------
// The pass

QCoro::Task<Result<QByteArray>> ObexTransfer::run(TransferRequest r)
{
    using R = Result<QByteArray>;
    if (r.phoneFree)
        m_phoneFree = r.phoneFree;
    Outcome o;
    switch (r.op) {
    case TransferOp::Download: o = co_await download(r.phoneFolder, r.captions, r.localFolder); break;
    case TransferOp::Upload: o = co_await upload(r.phoneFolder, r.captions, r.localFolder); break;
    case TransferOp::Delete: o = co_await remove(r.phoneFolder, r.captions); break;
    case TransferOp::CreateFolder: o = co_await createFolder(r.phoneFolder, r.name); break;
    case TransferOp::Rename: o = co_await rename(r.phoneFolder, r.name, r.newName); break;
    case TransferOp::ReadFile: {
        o = co_await getFile(r.phoneFolder, r.name, r.localFile);
        if (!o.ok())
            co_return R::from(o);
        QFile file(r.localFile);
        if (!file.open(QIODevice::ReadOnly))
            co_return R::from(Outcome::failed(FailureKind::LocalFile, Wording::CannotOpenFile,
                                              QDir::toNativeSeparators(r.localFile)));
        co_return R::of(file.readAll());
    }
    case TransferOp::WriteFile: {
        const QFileInfo local(r.localFile);
        if (local.fileName() != r.name)
            co_return R::from(Outcome::failed(FailureKind::Usage, QStringLiteral("An OBEX upload keeps the file's name.")));
        const QStringList one{local.fileName()};
        o = co_await upload(r.phoneFolder, one, local.absolutePath());
        break;
    }
    }
    co_return R::from(o);
}

QCoro::Task<Outcome> ObexTransfer::busy()
{
    co_return Outcome::failed(FailureKind::Usage, QStringLiteral("A transfer is already running."));
}

// Not a coroutine: the job is in place before the pass starts.
QCoro::Task<Outcome> ObexTransfer::start(QStringList path, Job job, ListAfter listAfter)
{
    if (m_running)
        return busy();
    m_running = true;
    m_job = std::move(job);
    return pass(std::move(path), listAfter);
}

QCoro::Task<Outcome> ObexTransfer::work()
{
    switch (m_job.op) {
    case Op::Download: return downloadEntries(m_job.captions, m_job.localFolder);
    case Op::Upload: return uploadEntries(m_job.captions, m_job.localFolder);
    case Op::Delete: return removeEntries(m_job.captions);
    case Op::Rename:
        return expectSuccess(m_command.rename(m_path, m_job.name, m_job.newName),
                             QStringLiteral("to rename %1").arg(m_job.name));
    case Op::CreateFolder: return enterFolder(m_job.name, true);
    case Op::GetFile: break;
    }
    return fetch(m_job.name, m_job.localPath);
}

QCoro::Task<Outcome> ObexTransfer::pass(QStringList path, ListAfter listAfter)
{
    m_cancelled = false;
    m_hasListing = false;
    m_listing = {};
    m_listingPath = path;
    m_refused.clear();
    m_passedOver.clear();
    m_orphan.clear();
    m_questions.reset();
    m_path.clear();

    // The window that owns this transfer (and the link with it) may close while a wait is
    // in flight: nothing of either is touched after that.
    QPointer<ObexTransfer> self(this);
    QPointer<PhoneLink> link(&m_link);
    ReplyReader &reader = m_link.reader(PhoneLink::Port::Modem);
    reader.resetCancel();
    auto claim = m_link.claim(PhoneLink::Port::Modem);
    ObexSession session(m_link);
    session.setAcceptance(obex::Acceptance::Transfer);
    m_obex = &session;

    Outcome o;
    {
        ConnectSession modes(m_link, ConnectMode::Obex, false);
        o = co_await modes.enterObexMode(false);
    }
    if (o.ok())
        o = co_await session.connect();
    if (!self || !link)
        co_return Outcome::cancelled();
    if (o.ok()) {
        o = co_await session.walk(path);
        if (o.ok())
            m_path = path;
    }
    if (o.ok())
        o = co_await work();
    if (!self || !link)
        co_return Outcome::cancelled();
    if (o.ok() && m_cancelled)
        o = Outcome::cancelled();
    if (o.ok() && listAfter == ListAfter::Yes) {
        bool lenient = false;
        const auto rows = co_await session.folderListing(&lenient);
        if (!self || !link)
            co_return Outcome::cancelled();
        if (rows.ok()) {
            m_hasListing = true;
            m_listing.entries = rows.value;
            m_listing.lenient = lenient;
            m_listingPath = m_path;
        } else {
            o = rows.outcome;
        }
    }
    if (o.isCancelled() || m_cancelled)
        o = Outcome::cancelled();
    m_obex = nullptr;
    const bool linkDown = o.isFailed() && (o.kind == FailureKind::LinkLost || o.kind == FailureKind::TimeOut);
    if (!linkDown)
        session.leaveObexMode();
    // A reply to a wait that was cut short may still come; it belongs to nobody.
    reader.discardPending();
    reader.resetCancel();
    if (!m_orphan.isEmpty() && !linkDown && o.kind != FailureKind::PhoneError) {
        const QString orphan = std::exchange(m_orphan, {});
        const QStringList orphanPath = m_orphanPath;
        co_await removeOrphan(orphanPath, orphan);
        if (!self || !link)
            co_return Outcome::cancelled();
    }
    claim.release();
    m_running = false;
    if (o.ok() && !m_refused.isEmpty())
        o = Outcome::failed(FailureKind::Malformed,
                            QStringLiteral("Names from the phone that cannot be used here were skipped: %1")
                                .arg(m_refused.join(QStringLiteral(", "))));
    if (o.ok() && !m_passedOver.isEmpty())
        o = Outcome::failed(FailureKind::LocalFile, m_passedOver.join(QLatin1Char('\n')));
    co_return o;
}

// An upload that did not end in its move leaves "~name.tmp" behind: a short pass of its own
// removes it (the upload's own pass may have been cut off in the middle of a packet).
QCoro::Task<Outcome> ObexTransfer::removeOrphan(QStringList path, QString name)
{
    QPointer<ObexTransfer> self(this);
    QPointer<PhoneLink> link(&m_link);
    auto claim = m_link.claim(PhoneLink::Port::Modem);
    ObexSession session(m_link);
    session.setAcceptance(obex::Acceptance::Transfer);
    Outcome o;
    {
        ConnectSession modes(m_link, ConnectMode::Obex, false);
        o = co_await modes.enterObexMode(false);
    }
    if (o.ok())
        o = co_await session.connect();
    if (o.ok())
        o = co_await session.walk(path);
    if (!self || !link)
        co_return Outcome::cancelled();
    if (o.ok()) {
        const obex::Next request = m_command.remove(name);
        if (request.step == Step::Send)
            (void)co_await session.converse(request.bytes, m_commandJudge);
        if (!self || !link)
            co_return Outcome::cancelled();
    }
    if (!(o.isFailed() && o.kind == FailureKind::LinkLost))
        session.leaveObexMode();
    m_link.reader(PhoneLink::Port::Modem).discardPending();
    co_return o;
}

QCoro::Task<Result<obex::Next>> ObexTransfer::exchange(obex::Next request, ObexSession::Judge judge)
{
    if (request.step == Step::Invalid)
        co_return Result<obex::Next>::from(Outcome::failed(FailureKind::Usage, request.error));
    const auto answer = co_await m_obex->converse(request.bytes, judge);
    if (!answer.ok())
        co_return Result<obex::Next>::from(answer.outcome);
    m_link.log().append("Read..Obex.." + obex::replyContent(answer.value.reply).toByteArray());
    co_return Result<obex::Next>::of(answer.value.next);
}

QCoro::Task<Outcome> ObexTransfer::expectSuccess(obex::Next request, QString what)
{
    const auto reply = co_await exchange(std::move(request), m_commandJudge);
    if (!reply.ok())
        co_return reply.outcome;
    if (reply.value.step != Step::Done)
        co_return refusedBy(reply.value, what);
    co_return Outcome::completed();
}

QCoro::Task<Outcome> ObexTransfer::enterFolder(QString name, bool create)
{
    obex::Next request = create ? m_command.createFolder(name) : m_command.enterFolder(name);
    const auto reply = co_await exchange(std::move(request), m_commandJudge);
    if (!reply.ok())
        co_return reply.outcome;
    if (reply.value.step != Step::Done) {
        if (reply.value.step == Step::NotFound)
            co_return Outcome::failed(FailureKind::NotFound, QStringLiteral("The folder %1 was not found.").arg(name));
        co_return refusedBy(reply.value, QStringLiteral("the folder %1").arg(name));
    }
    m_path.append(name);
    co_return Outcome::completed();
}

QCoro::Task<Outcome> ObexTransfer::leaveFolder()
{
    obex::Next request = m_command.folderUp();
    const Outcome o = co_await expectSuccess(std::move(request), QStringLiteral("to go up a folder"));
    if (o.ok() && !m_path.isEmpty())
        m_path.removeLast();
    co_return o;
}

QCoro::Task<Result<QStringList>> ObexTransfer::phoneNames()
{
    const auto rows = co_await m_obex->folderListing();
    if (!rows.ok())
        co_return Result<QStringList>::from(rows.outcome);
    QStringList names;
    for (const auto &e : rows.value)
        names.append(e.name);
    co_return Result<QStringList>::of(names);
}

// "... cannot be deleted. Continue?" and the like: only Yes goes on.
QCoro::Task<Outcome> ObexTransfer::goOnAfter(GoOnQuestion question, QString subject)
{
    const Answer a = co_await m_questions.asker().askGoOn(question, std::move(subject));
    co_return a == Answer::Yes ? Outcome::completed() : Outcome::cancelled();
}

// ---------------------------------------------------------------------------------------------
// Download

QCoro::Task<Outcome> ObexTransfer::download(QStringList phonePath, QStringList captions, QString localFolder)
{
    return start(std::move(phonePath), {Op::Download, std::move(captions), std::move(localFolder), {}, {}, {}},
                 ListAfter::Yes);
}

QCoro::Task<Outcome> ObexTransfer::downloadEntries(QStringList captions, QString localFolder)
{
    for (const QString &caption : captions) {
        if (m_cancelled)
            co_return Outcome::cancelled();
        if (explorer::isParentCaption(caption))
            continue;
        const QString name = explorer::bareName(caption);
        Outcome o;
        if (explorer::isFolderCaption(caption))
            o = co_await downloadFolder(name, localFolder);
        else
            o = co_await downloadFile(name, localFolder);
        if (!o.ok())
            co_return o;
        emit entryDone(caption);
    }
    co_return Outcome::completed();
}

QCoro::Task<Outcome> ObexTransfer::downloadFolder(QString name, QString localFolder)
{
    if (refuseName(name))
        co_return Outcome::completed();
    const QString local = QDir(localFolder).filePath(name);
    if (!QFileInfo(local).isDir() && !QDir().mkpath(local))
        co_return Outcome::failed(FailureKind::LocalFile, QStringLiteral("The folder %1 cannot be created.").arg(local));
    const Outcome step = co_await enterFolder(name, false);
    if (!step.ok())
        co_return step;
    const auto rows = co_await m_obex->folderListing();
    if (!rows.ok())
        co_return rows.outcome;
    for (const auto &entry : rows.value) {
        if (m_cancelled)
            co_return Outcome::cancelled();
        Outcome o;
        if (entry.isFolder)
            o = co_await downloadFolder(entry.name, local);
        else
            o = co_await downloadFile(entry.name, local);
        if (!o.ok())
            co_return o;
    }
    co_return co_await leaveFolder();
}

QCoro::Task<Outcome> ObexTransfer::downloadFile(QString name, QString localFolder)
{
    if (refuseName(name))
        co_return Outcome::completed();
    const QString target = QDir(localFolder).filePath(name);
    const QFileInfo info(target);
    if (info.exists() || info.isSymLink()) {
        const QString folderText = QDir::toNativeSeparators(QDir(localFolder).absolutePath() + QLatin1Char('/'));
        const QString where = folderText + name;
        const OverwriteDecision decision = co_await m_questions.decide(where);
        if (decision != OverwriteDecision::Replace)
            co_return decision == OverwriteDecision::Skip ? Outcome::completed() : Outcome::cancelled();
    }
    co_return co_await fetch(name, target);
}

QCoro::Task<Outcome> ObexTransfer::getFile(QStringList phonePath, QString name, QString localPath)
{
    return start(std::move(phonePath), {Op::GetFile, {}, {}, std::move(name), {}, std::move(localPath)}, ListAfter::No);
}

// One GET: the first reply carries Length, every reply a piece of the body; the phone's
// continue replies are answered with the bare GET until the final one. The data goes to a
// file beside the target that replaces it only once every byte arrived.
QCoro::Task<Outcome> ObexTransfer::fetch(QString name, QString target)
{
    emit phaseChanged(TransferPhase::Downloading);
    emit linesChanged({LinePrefix::From, phonePathText() + name}, {LinePrefix::To, QDir::toNativeSeparators(target)});
    emit progressChanged(0, 0);
    obex::Download get;
    obex::Next next = get.start(name);
    if (next.step == Step::Invalid)
        co_return Outcome::failed(FailureKind::Usage, next.error);
    const ObexSession::Judge judge = [&get](QByteArrayView reply) { return get.onReply(reply); };
    QSaveFile file(target);
    bool opened = false;
    for (;;) {
        const auto answer = co_await m_obex->converse(next.bytes, judge);
        if (!answer.ok())
            co_return answer.outcome; // the unfinished file is dropped with `file`
        if (m_cancelled)
            co_return Outcome::cancelled();
        next = answer.value.next;
        if (next.step != Step::Send && next.step != Step::Done) {
            if (next.step == Step::Malformed)
                co_return Outcome::failed(FailureKind::Malformed, next.error);
            if (get.begun())
                co_return refusedBy(next, QStringLiteral("the rest of %1").arg(name));
            if (m_job.op == Op::GetFile)
                co_return refusedBy(next, name);
            // A short reply instead of the file: the user decides whether the rest goes on.
            co_return co_await goOnAfter(GoOnQuestion::NotSent, phonePathText() + name);
        }
        if (!opened) {
            opened = true;
            const QString folder = QFileInfo(target).absolutePath();
            if (get.expected() > 0) {
                const qint64 room = localFree(folder);
                if (room >= 0 && get.expected() > room)
                    co_return Outcome::failed(FailureKind::LocalFile, Wording::NotEnoughSpace);
            }
            if (!file.open(QIODevice::WriteOnly))
                co_return Outcome::failed(FailureKind::LocalFile, Wording::CannotOpenFile,
                                          QDir::toNativeSeparators(target));
        }
        const QByteArray &data = get.data();
        if (!data.isEmpty() && file.write(data) != data.size())
            co_return Outcome::failed(FailureKind::LocalFile, file.errorString());
        emit progressChanged(get.received(), qMax<qint64>(get.expected(), get.received()));
        if (next.step == Step::Done)
            break;
    }
    if (!file.commit())
        co_return co_await goOnAfter(GoOnQuestion::NotRemoved, name);
    co_return Outcome::completed();
}

// ---------------------------------------------------------------------------------------------
// Upload

QCoro::Task<Outcome> ObexTransfer::upload(QStringList phonePath, QStringList captions, QString localFolder)
{
    return start(std::move(phonePath), {Op::Upload, std::move(captions), std::move(localFolder), {}, {}, {}},
                 ListAfter::Yes);
}

QCoro::Task<Outcome> ObexTransfer::uploadEntries(QStringList captions, QString localFolder)
{
    // A fresh session has no figure yet: ask the phone once rather than refuse everything.
    if (!m_phoneFree) {
        if (const auto root = obex::memoryRootOf(m_path)) {
            const auto sizes = co_await m_obex->memorySizes(*root);
            if (!sizes.ok())
                co_return sizes.outcome;
            m_phoneFree = sizes.value.freeSpace;
        }
    }
    const auto existing = co_await phoneNames();
    if (!existing.ok())
        co_return existing.outcome;
    for (const QString &caption : captions) {
        if (m_cancelled)
            co_return Outcome::cancelled();
        if (explorer::isParentCaption(caption))
            continue;
        const QString name = explorer::bareName(caption);
        const QString local = QDir(localFolder).filePath(name);
        Outcome o;
        if (passOver(QFileInfo(local)))
            continue;
        if (explorer::isFolderCaption(caption))
            o = co_await uploadFolder(local, name);
        else
            o = co_await uploadFile(local, name, existing.value);
        if (!o.ok())
            co_return o;
        emit entryDone(caption);
    }
    co_return Outcome::completed();
}

QCoro::Task<Outcome> ObexTransfer::uploadFolder(QString localDir, QString name)
{
    // A folder that is not there is an error, never an empty folder made on the phone.
    if (!QFileInfo(localDir).isDir() || !QFileInfo(localDir).isReadable())
        co_return Outcome::failed(FailureKind::LocalFile,
                                  QStringLiteral("Cannot read the folder %1.").arg(QDir::toNativeSeparators(localDir)));
    const Outcome step = co_await enterFolder(name, true);
    if (!step.ok())
        co_return step;
    const auto existing = co_await phoneNames();
    if (!existing.ok())
        co_return existing.outcome;
    for (const QFileInfo &entry : entriesToUpload(localDir)) {
        if (m_cancelled)
            co_return Outcome::cancelled();
        if (passOver(entry))
            continue;
        Outcome o;
        if (entry.isDir())
            o = co_await uploadFolder(entry.filePath(), entry.fileName());
        else
            o = co_await uploadFile(entry.filePath(), entry.fileName(), existing.value);
        if (!o.ok())
            co_return o;
    }
    co_return co_await leaveFolder();
}

QCoro::Task<Outcome> ObexTransfer::uploadFile(QString localPath, QString name, QStringList existing)
{
    const bool replacing = existing.contains(name);
    if (replacing) {
        const QString where = phonePathText() + name;
        const OverwriteDecision decision = co_await m_questions.decide(where);
        if (decision != OverwriteDecision::Replace)
            co_return decision == OverwriteDecision::Skip ? Outcome::completed() : Outcome::cancelled();
    }
    co_return co_await sendFile(localPath, name, replacing);
}

// One upload by the engine: the packets to "~name.tmp", its attributes, the old file's delete
// when `replacing`, the move into place.
QCoro::Task<Outcome> ObexTransfer::sendFile(QString localPath, QString name, bool replacing)
{
    using Stage = obex::Upload::Stage;
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        co_return Outcome::failed(FailureKind::LocalFile, Wording::CannotOpenFile, QDir::toNativeSeparators(localPath));
    const qint64 size = file.size();
    if (size > obex::kMaxFileSize)
        co_return Outcome::failed(FailureKind::Usage, QStringLiteral("%1 is too large for the phone.").arg(name));
    if (m_phoneFree && quint64(size) > *m_phoneFree)
        co_return Outcome::failed(FailureKind::Refused, Wording::NotEnoughSpace);
    emit phaseChanged(TransferPhase::Uploading);
    emit linesChanged({LinePrefix::From, QDir::toNativeSeparators(localPath)}, {LinePrefix::To, phonePathText()});
    emit progressChanged(0, size);

    const QString temp = obex::uploadTempName(name);
    m_orphan = temp;
    m_orphanPath = m_path;
    obex::Upload put;
    obex::Next next = put.start(name, quint32(size), QDateTime::currentDateTime(), m_path, replacing);
    const ObexSession::Judge judge = [&put](QByteArrayView reply) { return put.onReply(reply); };
    for (;;) {
        if (next.step == Step::NeedData) {
            const QByteArray chunk = file.read(put.dataWanted());
            if (chunk.size() != put.dataWanted())
                co_return Outcome::failed(FailureKind::LocalFile, QStringLiteral("%1 could not be read.").arg(localPath));
            next = put.supply(chunk);
            continue;
        }
        if (next.step != Step::Send)
            break;
        const Stage stage = put.stage();
        const auto reply = co_await exchange(next, judge);
        if (!reply.ok())
            co_return reply.outcome;
        next = reply.value;
        if (stage != Stage::Data)
            continue;
        if (m_cancelled)
            co_return Outcome::cancelled();
        if (next.step == Step::NeedData || put.stage() != Stage::Data)
            emit progressChanged(put.accepted(), size);
        if (put.stage() != Stage::Data && m_phoneFree)
            *m_phoneFree -= quint64(size);
    }
    switch (next.step == Step::Done ? Stage::Finished : put.stage()) {
    case Stage::Finished:
        m_orphan.clear();
        co_return Outcome::completed();
    case Stage::Data:
        co_return refusedBy(next, QStringLiteral("the upload of %1").arg(name));
    case Stage::Attributes:
        co_return refusedBy(next, QStringLiteral("the attributes of %1").arg(temp));
    case Stage::DeleteOld:
        break;
    case Stage::Move:
        co_return refusedBy(next, QStringLiteral("to move %1 into place").arg(temp));
    }
    // The old file stays: so must nothing else.
    obex::Next request = m_command.remove(temp);
    const auto removed = co_await exchange(std::move(request), m_commandJudge);
    if (removed.ok() && removed.value.step == Step::Done)
        m_orphan.clear();
    co_return co_await goOnAfter(GoOnQuestion::NotRemoved, phonePathText() + name);
}

// ---------------------------------------------------------------------------------------------
// Delete, rename, new folder

QCoro::Task<Outcome> ObexTransfer::remove(QStringList phonePath, QStringList captions)
{
    captions.removeIf([](const QString &c) { return explorer::isParentCaption(c); });
    const ListAfter list = captions.size() == 1 ? ListAfter::Yes : ListAfter::No;
    return start(std::move(phonePath), {Op::Delete, std::move(captions), {}, {}, {}, {}}, list);
}

QCoro::Task<Outcome> ObexTransfer::removeEntries(QStringList captions)
{
    qint64 done = 0;
    emit phaseChanged(TransferPhase::Deleting);
    for (const QString &caption : captions) {
        if (m_cancelled)
            co_return Outcome::cancelled();
        const QString name = explorer::bareName(caption);
        emit progressChanged(++done, captions.size());
        emit linesChanged({LinePrefix::From, QString()}, {LinePrefix::None, phonePathText() + name});
        obex::Next request = m_command.remove(name);
        const auto reply = co_await exchange(std::move(request), m_commandJudge);
        if (!reply.ok())
            co_return reply.outcome;
        if (reply.value.step == Step::NotFound)
            co_return Outcome::failed(FailureKind::NotFound, Wording::NoSuchPhoneFile, name);
        if (reply.value.step != Step::Done) {
            const Outcome step = co_await goOnAfter(GoOnQuestion::NotRemoved, caption);
            if (!step.ok())
                co_return step;
        }
        emit entryDone(caption);
    }
    co_return Outcome::completed();
}

QCoro::Task<Outcome> ObexTransfer::rename(QStringList phonePath, QString oldName, QString newName)
{
    return start(std::move(phonePath), {Op::Rename, {}, {}, std::move(oldName), std::move(newName), {}}, ListAfter::Yes);
}

QCoro::Task<Outcome> ObexTransfer::createFolder(QStringList phonePath, QString name)
{
    return start(std::move(phonePath), {Op::CreateFolder, {}, {}, std::move(name), {}, {}}, ListAfter::Yes);
}

} // namespace vandrel::link
