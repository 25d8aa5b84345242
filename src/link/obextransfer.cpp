#include "obextransfer.h"

#include "connectsession.h"
#include "localfiles.h"

#include <core/explorer/direntry.h>
#include <core/obex/packets.h>
#include <core/obex/replies.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSaveFile>
#include <QStorageInfo>

namespace vandrel::link {

using obex::ReplyKind;

namespace {

constexpr auto kColumnGap = QLatin1StringView("      ");

// What the lines and questions say when no language is loaded.
QString builtInText(int n)
{
    switch (n) {
    case 52: return QStringLiteral(" – cannot be deleted. Continue?");
    case 54: return QStringLiteral(" already exists. Overwrite it?");
    case 65: return QStringLiteral("Cannot open the file ");
    case 67: return QStringLiteral("Downloading from the phone");
    case 68: return QStringLiteral("Deleting");
    case 70: return QStringLiteral("From:");
    case 72: return QStringLiteral("To:");
    case 75: return QStringLiteral("Uploading to the phone");
    case 82: return QStringLiteral(" – the phone did not send this file. Continue?");
    case 83: return QStringLiteral("Not enough free space!");
    default: return {};
    }
}

const QString kNotFound = QStringLiteral("Daný soubor neexistuje!");

Outcome refusedBy(const obex::Reply &reply, const QString &what)
{
    if (reply.kind == ReplyKind::NotFound)
        return Outcome::failed(FailureKind::NotFound, kNotFound);
    if (reply.kind == ReplyKind::Forbidden)
        return Outcome::failed(FailureKind::Refused, QStringLiteral("The phone refused %1.").arg(what));
    return Outcome::failed(FailureKind::Refused, QStringLiteral("The phone refused %1 (0x%2).")
                                                     .arg(what)
                                                     .arg(reply.code, 2, 16, QLatin1Char('0')));
}

quint32 readU32(QByteArrayView b)
{
    return (quint32(quint8(b[0])) << 24) | (quint32(quint8(b[1])) << 16) | (quint32(quint8(b[2])) << 8)
        | quint32(quint8(b[3]));
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
    : QObject(parent), m_link(link), m_questions(asker)
{
}

QString ObexTransfer::text(int n) const
{
    const QString t = m_messages ? m_messages->text(n) : QString();
    return t.isEmpty() ? builtInText(n) : t;
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
        return expectSuccess(obex::moveRequest(m_path, m_job.name, m_job.newName),
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
    if (o.ok()) {
        const auto packet = obex::deleteRequest(name);
        if (packet)
            (void)co_await session.request(*packet, false);
    }
    if (!self || !link)
        co_return Outcome::cancelled();
    if (!(o.isFailed() && o.kind == FailureKind::LinkLost))
        session.leaveObexMode();
    m_link.reader(PhoneLink::Port::Modem).discardPending();
    co_return o;
}

QCoro::Task<Result<obex::Reply>> ObexTransfer::exchange(Checked<QByteArray> packet, QByteArray *raw)
{
    if (!packet)
        co_return Result<obex::Reply>::from(Outcome::failed(FailureKind::Usage, packet.error()));
    const auto reply = co_await m_obex->request(*packet, false);
    if (!reply.ok())
        co_return Result<obex::Reply>::from(reply.outcome);
    m_link.log().append("Read..Obex.." + reply.value);
    if (raw)
        *raw = reply.value;
    co_return Result<obex::Reply>::of(obex::classifyReply(reply.value, obex::Acceptance::Transfer));
}

QCoro::Task<Outcome> ObexTransfer::expectSuccess(Checked<QByteArray> packet, QString what)
{
    const auto reply = co_await exchange(std::move(packet));
    if (!reply.ok())
        co_return reply.outcome;
    if (reply.value.kind != ReplyKind::Success)
        co_return refusedBy(reply.value, what);
    co_return Outcome::completed();
}

QCoro::Task<Outcome> ObexTransfer::enterFolder(QString name, bool create)
{
    const auto packet = create ? obex::createFolderRequest(name) : obex::enterFolderRequest(name);
    const auto reply = co_await exchange(packet);
    if (!reply.ok())
        co_return reply.outcome;
    if (reply.value.kind != ReplyKind::Success) {
        if (reply.value.kind == ReplyKind::NotFound)
            co_return Outcome::failed(FailureKind::NotFound, QStringLiteral("The folder %1 was not found.").arg(name));
        co_return refusedBy(reply.value, QStringLiteral("the folder %1").arg(name));
    }
    m_path.append(name);
    co_return Outcome::completed();
}

QCoro::Task<Outcome> ObexTransfer::leaveFolder()
{
    const Outcome o = co_await expectSuccess(obex::folderUpRequest(), QStringLiteral("to go up a folder"));
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
QCoro::Task<Outcome> ObexTransfer::goOnAfter(QString question)
{
    const Answer a = co_await m_questions.asker().askYesNoCancel(question);
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
        const QString question = folderText + name + text(54);
        const OverwriteDecision decision = co_await m_questions.decide(question);
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
    emit captionChanged(text(67));
    emit linesChanged(text(70) + kColumnGap + phonePathText() + name,
                      text(72) + kColumnGap + QDir::toNativeSeparators(target));
    emit progressChanged(0, 0);
    const auto request = obex::getFileRequest(name);
    if (!request)
        co_return Outcome::failed(FailureKind::Usage, request.error());
    QByteArray packet = *request;
    QSaveFile file(target);
    qint64 expected = -1;
    qint64 received = 0;
    bool first = true;
    for (;;) {
        const auto reply = co_await m_obex->request(packet, false);
        if (!reply.ok())
            co_return reply.outcome; // the unfinished file is dropped with `file`
        if (m_cancelled)
            co_return Outcome::cancelled();
        const auto parsed = obex::parsePacket(reply.value);
        if (!parsed)
            co_return Outcome::failed(FailureKind::Malformed, parsed.error());
        const quint8 code = parsed->code;
        const bool more = code == 0x90;
        if (!more && code != 0xA0) {
            if (!first)
                co_return refusedBy(obex::classifyReply(reply.value, obex::Acceptance::Transfer),
                                    QStringLiteral("the rest of %1").arg(name));
            if (m_job.op == Op::GetFile)
                co_return refusedBy(obex::classifyReply(reply.value, obex::Acceptance::Transfer), name);
            // A short reply instead of the file: the user decides whether the rest goes on.
            co_return co_await goOnAfter(phonePathText() + name + text(82));
        }
        if (first) {
            first = false;
            if (const obex::Header *length = parsed->find(0xC3); length && length->value.size() == 4)
                expected = readU32(length->value);
            const QString folder = QFileInfo(target).absolutePath();
            if (expected > 0) {
                const qint64 room = localFree(folder);
                if (room >= 0 && expected > room)
                    co_return Outcome::failed(FailureKind::LocalFile, text(83));
            }
            if (!file.open(QIODevice::WriteOnly))
                co_return Outcome::failed(FailureKind::LocalFile, text(65) + QDir::toNativeSeparators(target));
        }
        const QByteArray body = parsed->body();
        if (!body.isEmpty() && file.write(body) != body.size())
            co_return Outcome::failed(FailureKind::LocalFile, file.errorString());
        received += body.size();
        if (expected >= 0 && received > expected)
            co_return Outcome::failed(FailureKind::Malformed,
                                      QStringLiteral("The phone sent more of %1 than it announced.").arg(name));
        emit progressChanged(received, qMax<qint64>(expected, received));
        if (!more)
            break;
        packet = obex::listingContinuationRequest();
    }
    if (expected >= 0 && received != expected)
        co_return Outcome::failed(FailureKind::Malformed, QStringLiteral("The phone sent %1 of the %2 bytes of %3.")
                                                              .arg(received)
                                                              .arg(expected)
                                                              .arg(name));
    if (!file.commit())
        co_return co_await goOnAfter(name + text(52));
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
        const QString question = phonePathText() + name + text(54);
        const OverwriteDecision decision = co_await m_questions.decide(question);
        if (decision != OverwriteDecision::Replace)
            co_return decision == OverwriteDecision::Skip ? Outcome::completed() : Outcome::cancelled();
    }
    const Outcome step = co_await sendFile(localPath, name);
    if (!step.ok())
        co_return step;
    // "~name.tmp" is complete: only now the old file goes.
    if (replacing) {
        const auto reply = co_await exchange(obex::deleteRequest(name));
        if (!reply.ok())
            co_return reply.outcome;
        if (reply.value.kind != ReplyKind::Success && reply.value.kind != ReplyKind::NotFound) {
            const QString temp = obex::uploadTempName(name);
            const auto removed = co_await exchange(obex::deleteRequest(temp));
            if (removed.ok() && removed.value.kind == ReplyKind::Success)
                m_orphan.clear();
            co_return co_await goOnAfter(phonePathText() + name + text(52));
        }
    }
    const QString what = QStringLiteral("to move %1 into place").arg(obex::uploadTempName(name));
    const Outcome moved = co_await expectSuccess(obex::finishUploadRequest(m_path, name), what);
    if (!moved.ok())
        co_return moved;
    m_orphan.clear();
    co_return Outcome::completed();
}

// The packets of one upload to "~name.tmp" and its attributes.
QCoro::Task<Outcome> ObexTransfer::sendFile(QString localPath, QString name)
{
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        co_return Outcome::failed(FailureKind::LocalFile, text(65) + QDir::toNativeSeparators(localPath));
    const qint64 size = file.size();
    if (size > qint64(0xFFFFFFFFu))
        co_return Outcome::failed(FailureKind::Usage, QStringLiteral("%1 is too large for the phone.").arg(name));
    if (m_phoneFree && quint64(size) > *m_phoneFree)
        co_return Outcome::failed(FailureKind::Refused, text(83));
    emit captionChanged(text(75));
    emit linesChanged(text(70) + kColumnGap + QDir::toNativeSeparators(localPath),
                      text(72) + kColumnGap + phonePathText());
    emit progressChanged(0, size);

    m_orphan = obex::uploadTempName(name);
    m_orphanPath = m_path;
    qint64 sent = 0;
    bool first = true;
    for (;;) {
        const QByteArray chunk = file.read(obex::kMaxUploadChunk);
        if (chunk.size() < qMin<qint64>(obex::kMaxUploadChunk, size - sent))
            co_return Outcome::failed(FailureKind::LocalFile, QStringLiteral("%1 could not be read.").arg(localPath));
        const bool final = sent + chunk.size() >= size;
        const auto packet = first ? obex::firstUploadPacket(name, quint32(size), QDateTime::currentDateTime(), chunk, final)
                                  : obex::nextUploadPacket(chunk, final);
        first = false;
        const auto reply = co_await exchange(packet);
        if (!reply.ok())
            co_return reply.outcome;
        if (m_cancelled)
            co_return Outcome::cancelled();
        const ReplyKind wanted = final ? ReplyKind::Success : ReplyKind::Continue;
        if (reply.value.kind != wanted)
            co_return refusedBy(reply.value, QStringLiteral("the upload of %1").arg(name));
        sent += chunk.size();
        emit progressChanged(sent, size);
        if (final)
            break;
    }
    if (m_phoneFree)
        *m_phoneFree -= quint64(size);
    co_return co_await expectSuccess(obex::setAttributesRequest(name),
                                     QStringLiteral("the attributes of %1").arg(obex::uploadTempName(name)));
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
    emit captionChanged(text(68));
    for (const QString &caption : captions) {
        if (m_cancelled)
            co_return Outcome::cancelled();
        const QString name = explorer::bareName(caption);
        emit progressChanged(++done, captions.size());
        emit linesChanged(text(70) + kColumnGap, phonePathText() + name);
        const auto reply = co_await exchange(obex::deleteRequest(name));
        if (!reply.ok())
            co_return reply.outcome;
        if (reply.value.kind == ReplyKind::NotFound)
            co_return Outcome::failed(FailureKind::NotFound, kNotFound);
        if (reply.value.kind != ReplyKind::Success) {
            const Outcome step = co_await goOnAfter(caption + text(52));
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
