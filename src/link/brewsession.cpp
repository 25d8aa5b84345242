#include "brewsession.h"

#include <core/brew/listing.h>
#include <core/brew/replies.h>
#include <core/brew/requests.h>
#include <core/brew/transfer.h>
#include <core/diag/capture.h>
#include <core/diag/frame.h>
#include <core/text/format.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSaveFile>

namespace vandrel::link {

using brew::Next;
using brew::Step;

namespace {

template <class T>
Result<T> failure(FailureKind kind, const QString &detail)
{
    return Result<T>::from(Outcome::failed(kind, detail));
}

bool isFileSystemReply(QByteArrayView p, brew::Op op)
{
    return p.size() >= 2 && quint8(p[0]) == brew::kFileSystemCommand && quint8(p[1]) == quint8(op);
}

// The phone's answer to a read of a file it does not have: the read header with a status
// byte and no data.
bool isMissingFileReply(QByteArrayView p)
{
    return isFileSystemReply(p, brew::Op::Read) && p.size() >= 5 && p.size() < 11 && p[4] != '\0';
}

Outcome saveAtomically(const QString &path, const QByteArray &data)
{
    // The old file stays as it is until the new one is complete on disk.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return Outcome::failed(FailureKind::LocalFile,
                               QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return Outcome::completed();
}

QString shown(const QString &phoneName)
{
    return phoneName.isEmpty() ? QStringLiteral("/") : phoneName;
}

} // namespace

QList<explorer::DirEntry> BrewFolder::paneRows() const
{
    QList<explorer::DirEntry> rows;
    if (!path.isEmpty() || entries.isEmpty())
        rows.append(explorer::DirEntry::parent());
    rows += entries;
    return rows;
}

const explorer::DirEntry *BrewFolder::find(const QString &name) const
{
    for (const auto &e : entries)
        if (e.name == name)
            return &e;
    return nullptr;
}

QString describeBrewError(QByteArrayView payload)
{
    if (const auto e = brew::parseErrorReply(payload)) {
        switch (e->code) {
        case 0x13:
            return QStringLiteral("the phone did not understand the request (error 0x13)");
        case 0x14:
            return QStringLiteral("the phone refused the request's parameters (error 0x14)");
        default:
            return QStringLiteral("the phone refused the request's length (error 0x15)");
        }
    }
    if (payload.size() >= 3 && quint8(payload[0]) == brew::kFileSystemCommand)
        return QStringLiteral("the phone answered with status %1").arg(quint8(payload[2]));
    return QStringLiteral("the phone gave an answer this program does not know");
}

// One operation: holds the port for itself; the outermost one starts uncancelled.
struct BrewSession::Exchange {
    explicit Exchange(BrewSession &s) : session(&s), claim(s.m_link.claim(PhoneLink::Port::Diag))
    {
        if (s.m_depth++ == 0)
            s.m_cancelled = false;
    }
    ~Exchange()
    {
        if (session)
            --session->m_depth;
    }
    Exchange(const Exchange &) = delete;
    Exchange &operator=(const Exchange &) = delete;

    QPointer<BrewSession> session;
    PhoneLink::Claim claim;
};

BrewSession::BrewSession(PhoneLink &link, QObject *parent) : QObject(parent), m_link(link) {}

void BrewSession::cancelWait()
{
    m_cancelled = true;
    m_link.diagSilenceTimer().stop();
    m_link.reader(PhoneLink::Port::Diag).cancel();
}

QCoro::Task<QByteArray> BrewSession::dropLateReply(std::chrono::milliseconds limit)
{
    QPointer<BrewSession> self(this);
    auto claim = m_link.claim(PhoneLink::Port::Diag);
    ReplyReader &reader = m_link.reader(PhoneLink::Port::Diag);
    reader.resetCancel();
    // One request was in flight at most, so one frame at most is still owed.
    const auto frame = co_await reader.next(diag::diagFrameLength, limit);
    if (!self)
        co_return {};
    m_link.reader(PhoneLink::Port::Diag).discardPending();
    if (!frame.ok())
        co_return {};
    const auto decoded = diag::decodeDiagFrame(frame.value);
    if (!decoded || !decoded->checkValid)
        co_return {};
    co_return decoded->payload;
}

Outcome BrewSession::sendPayload(const QByteArray &payload)
{
    if (!m_link.diagPort()->isOpen())
        return Outcome::failed(FailureKind::LinkLost, QStringLiteral("The diagnostic port is not open."));
    return m_link.writeRaw(PhoneLink::Port::Diag, diag::encodeDiagFrame(payload));
}

QCoro::Task<Result<BrewSession::Reply>> BrewSession::nextReply(QDeadlineTimer deadline)
{
    QPointer<BrewSession> self(this);
    for (;;) {
        auto frame = co_await m_link.reader(PhoneLink::Port::Diag).next(diag::diagFrameLength, deadline);
        if (!self)
            co_return Result<Reply>::from(Outcome::cancelled());
        if (!frame.ok())
            co_return Result<Reply>::from(frame.outcome);
        if (frame.value.size() <= 1)
            continue; // a flag on its own
        const auto decoded = diag::decodeDiagFrame(frame.value);
        if (!decoded)
            co_return Result<Reply>::of(Reply{{}, true});
        co_return Result<Reply>::of(Reply{decoded->payload, !decoded->checkValid});
    }
}

QCoro::Task<Result<BrewSession::Answer>> BrewSession::converse(QByteArray request, bool repeatable, Judge judge)
{
    QPointer<BrewSession> self(this);
    if (m_cancelled)
        co_return Result<Answer>::from(Outcome::cancelled());
    if (const Outcome o = sendPayload(request); !o.ok())
        co_return Result<Answer>::from(o);
    // Frames that answer nothing do not move the limit of the request in flight.
    QDeadlineTimer deadline(m_link.timing().replyLimit);
    int damagedLeft = kDamagedRetries;
    bool sawDamaged = false;
    const auto damaged = [] {
        return failure<Answer>(FailureKind::Malformed, QStringLiteral("The phone's reply arrived damaged (wrong check value)."));
    };
    for (;;) {
        const auto reply = co_await nextReply(deadline);
        if (!self || m_cancelled)
            co_return Result<Answer>::from(Outcome::cancelled());
        if (!reply.ok()) {
            if (sawDamaged && reply.outcome.kind == FailureKind::TimeOut)
                co_return damaged();
            co_return Result<Answer>::from(reply.outcome);
        }
        if (reply.value.damaged) {
            // Nothing in a damaged frame is trusted. Asking again is harmless for listings and
            // reads; a write or a removal may already have happened, so it is not repeated. The
            // frame may be line noise before the real answer: that answer is still awaited.
            if (!repeatable) {
                sawDamaged = true;
                continue;
            }
            if (damagedLeft-- == 0)
                co_return damaged();
            if (const Outcome o = sendPayload(request); !o.ok())
                co_return Result<Answer>::from(o);
            deadline = QDeadlineTimer(m_link.timing().replyLimit);
            continue;
        }
        Next next = judge(reply.value.payload);
        if (next.step == Step::Ignored) {
            // An error frame answers whatever is in flight; anything else belongs to nobody.
            if (!brew::parseErrorReply(reply.value.payload))
                continue;
            next = {Step::Refused, {}, describeBrewError(reply.value.payload)};
        }
        co_return Result<Answer>::of(Answer{std::move(next), reply.value.payload});
    }
}

QCoro::Task<Result<BrewFolder>> BrewSession::listBrewFolder(QString path, bool withFreeSpace)
{
    QPointer<BrewSession> self(this);
    Exchange exchange(*this);
    BrewFolder folder;
    folder.path = brew::brewFolderPath(path);
    brew::BrewLister lister;
    const auto first = lister.start(folder.path, text::dateTimeText(QDateTime::currentDateTime()));
    if (!first)
        co_return failure<BrewFolder>(FailureKind::Usage, first.error());
    QByteArray request = *first;
    const Judge judge = [&lister](QByteArrayView p) { return lister.onReply(p); };
    for (;;) {
        const auto a = co_await converse(request, true, judge);
        if (!self)
            co_return Result<BrewFolder>::from(Outcome::cancelled());
        if (!a.ok())
            co_return Result<BrewFolder>::from(a.outcome);
        const Next &n = a.value.next;
        if (n.step == Step::Send) {
            request = n.payload;
            continue;
        }
        if (n.step == Step::Done)
            break;
        if (n.step == Step::NotFound)
            co_return failure<BrewFolder>(FailureKind::NotFound,
                                          QStringLiteral("The folder %1 was not found on the phone.").arg(shown(folder.path)));
        co_return failure<BrewFolder>(n.step == Step::Refused ? FailureKind::Refused : FailureKind::Malformed,
                                      QStringLiteral("Listing %1: %2").arg(shown(folder.path), n.error));
    }
    folder.entries = lister.entries();
    if (withFreeSpace) {
        const auto free = co_await requestBrewFreeSpace();
        if (!self)
            co_return Result<BrewFolder>::from(Outcome::cancelled());
        if (!free.ok())
            co_return Result<BrewFolder>::from(free.outcome);
        folder.freeBytes = free.value;
    }
    co_return Result<BrewFolder>::of(folder);
}

QCoro::Task<Result<quint32>> BrewSession::requestBrewFreeSpace()
{
    QPointer<BrewSession> self(this);
    Exchange exchange(*this);
    quint32 bytes = 0;
    const Judge judge = [&bytes](QByteArrayView p) {
        const auto free = brew::parseFreeSpace(p);
        if (!free)
            return Next{};
        bytes = *free;
        return Next{Step::Done, {}, {}};
    };
    const auto a = co_await converse(brew::freeSpaceRequest(), true, judge);
    if (!self)
        co_return Result<quint32>::from(Outcome::cancelled());
    if (!a.ok())
        co_return Result<quint32>::from(a.outcome);
    if (a.value.next.step != Step::Done)
        co_return failure<quint32>(FailureKind::Refused, QStringLiteral("Free space: %1").arg(a.value.next.error));
    co_return Result<quint32>::of(bytes);
}

QCoro::Task<Result<QByteArray>> BrewSession::readBrewFile(QString folder, QString name, QString brewLocalDir,
                                                          QString brewMemoryTarget)
{
    QPointer<BrewSession> self(this);
    const QString phoneName = brew::brewFolderPath(folder) + name;
    // Where the bytes go is settled before the phone is asked for them.
    QString localFile = brewMemoryTarget;
    if (localFile.isEmpty() && !brewLocalDir.isEmpty()) {
        const auto safe = brew::safeLocalName(name);
        if (!safe)
            co_return failure<QByteArray>(FailureKind::Usage,
                                          QStringLiteral("\"%1\" cannot be saved as a file name on this computer.").arg(name));
        if (!QFileInfo(brewLocalDir).isDir())
            co_return failure<QByteArray>(FailureKind::LocalFile, QStringLiteral("The folder %1 does not exist.")
                                                                      .arg(QDir::toNativeSeparators(brewLocalDir)));
        localFile = QDir(brewLocalDir).filePath(*safe);
    }

    Exchange exchange(*this);
    brew::BrewReader reader;
    const auto first = reader.start(phoneName);
    if (!first)
        co_return failure<QByteArray>(FailureKind::Usage, first.error());
    QByteArray request = *first;
    bool firstBlock = true;
    int restarts = 0;
    const Judge judge = [&reader, &firstBlock](QByteArrayView p) {
        if (firstBlock && isMissingFileReply(p))
            return Next{Step::NotFound, {}, {}};
        return reader.onReply(p);
    };
    for (;;) {
        const auto a = co_await converse(request, true, judge);
        if (!self)
            co_return Result<QByteArray>::from(Outcome::cancelled());
        if (!a.ok())
            co_return Result<QByteArray>::from(a.outcome);
        const Next &n = a.value.next;
        if (n.step == Step::Send) {
            request = n.payload;
            firstBlock = false;
            emit progress(reader.data().size(), reader.total());
            continue;
        }
        if (n.step == Step::Done)
            break;
        if (n.step == Step::Refused && brew::isReadRefused(a.value.payload) && restarts < kReadRestarts) {
            ++restarts;
            request = *reader.start(phoneName);
            firstBlock = true;
            continue;
        }
        if (n.step == Step::NotFound)
            co_return failure<QByteArray>(FailureKind::NotFound,
                                          QStringLiteral("The phone has no file %1.").arg(phoneName));
        if (n.step == Step::Refused)
            co_return failure<QByteArray>(
                FailureKind::Refused,
                QStringLiteral("The phone refused to read %1: %2").arg(phoneName, describeBrewError(a.value.payload)));
        co_return failure<QByteArray>(FailureKind::Malformed, QStringLiteral("Reading %1: %2").arg(phoneName, n.error));
    }
    const QByteArray data = reader.data();
    emit progress(data.size(), data.size());
    if (!localFile.isEmpty())
        if (const Outcome saved = saveAtomically(localFile, data); !saved.ok())
            co_return Result<QByteArray>::from(saved);
    co_return Result<QByteArray>::of(data);
}

QCoro::Task<Result<QByteArray>> BrewSession::captureDisplay()
{
    QPointer<BrewSession> self(this);
    Exchange exchange(*this);
    const Judge judge = [](QByteArrayView p) {
        return diag::isCaptureAcknowledgement(p) ? Next{Step::Done, {}, {}} : Next{Step::Ignored, {}, {}};
    };
    const auto ack = co_await converse(diag::captureRequest(), false, judge);
    if (!self)
        co_return Result<QByteArray>::from(Outcome::cancelled());
    if (!ack.ok())
        co_return Result<QByteArray>::from(ack.outcome);
    if (ack.value.next.step != Step::Done)
        co_return failure<QByteArray>(FailureKind::Refused, QStringLiteral("The phone refused the display capture: %1")
                                                                .arg(describeBrewError(ack.value.payload)));
    co_return co_await readBrewFile(QString(), QString::fromLatin1(diag::kCaptureFileName));
}

QCoro::Task<BrewWrite> BrewSession::writeBrewFile(QString localFile, QString phoneName)
{
    QFile file(localFile);
    const auto unreadable = [&] {
        return BrewWrite{Outcome::failed(FailureKind::LocalFile, QStringLiteral("Cannot read %1: %2")
                                                                     .arg(QDir::toNativeSeparators(localFile), file.errorString())),
                         false};
    };
    if (!file.open(QIODevice::ReadOnly))
        co_return unreadable();
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        co_return unreadable();
    file.close();
    co_return co_await writeBrewData(std::move(data), std::move(phoneName));
}

QCoro::Task<BrewWrite> BrewSession::writeBrewData(QByteArray data, QString phoneName)
{
    QPointer<BrewSession> self(this);
    Exchange exchange(*this);
    brew::BrewWriter writer;
    const auto first = writer.start(phoneName, std::move(data));
    if (!first)
        co_return BrewWrite{Outcome::failed(FailureKind::Usage, first.error()), false};
    emit progress(0, writer.total());
    QByteArray request = *first;
    // From the first block on, the phone may have replaced the old file; only its refusal of
    // that block says it did not.
    BrewWrite result{Outcome::completed(), true};
    bool firstBlock = true;
    for (;;) {
        const Judge judge = [&writer](QByteArrayView p) { return writer.onReply(p); };
        const auto a = co_await converse(request, false, judge);
        if (!self)
            co_return BrewWrite{Outcome::cancelled(), true};
        if (!a.ok()) {
            result.outcome = a.outcome;
            co_return result;
        }
        const Next &n = a.value.next;
        if (n.step == Step::Send) {
            request = n.payload;
            firstBlock = false;
            emit progress(writer.progress(), writer.total());
            continue;
        }
        if (n.step == Step::Done)
            break;
        if (firstBlock) {
            result.begun = false;
            result.outcome = Outcome::failed(
                FailureKind::Refused, QStringLiteral("The phone refused to write %1 (%2). Nothing was written: the phone's file is as it was.")
                                          .arg(phoneName, describeBrewError(a.value.payload)));
        } else {
            result.outcome = Outcome::failed(FailureKind::Refused, QStringLiteral("The phone refused to write %1: %2")
                                                                       .arg(phoneName, describeBrewError(a.value.payload)));
        }
        co_return result;
    }
    emit progress(writer.total(), writer.total());
    co_return result;
}

QCoro::Task<Outcome> BrewSession::removeBrewEntry(QString entry)
{
    QPointer<BrewSession> self(this);
    if (explorer::isParentCaption(entry))
        co_return Outcome::completed();
    const bool folder = explorer::isFolderCaption(entry);
    // A plain local: conditional temporaries inside co_await trip some compilers.
    QString name = folder ? explorer::bareName(entry) : entry;
    const Outcome o = co_await removeBrew(std::move(name), folder);
    co_return self ? o : Outcome::cancelled();
}

QCoro::Task<Outcome> BrewSession::removeBrew(QString name, bool folder)
{
    QPointer<BrewSession> self(this);
    const auto request = folder ? brew::removeFolderRequest(name) : brew::removeFileRequest(name);
    const auto parse = folder ? &brew::parseRemoveFolder : &brew::parseRemoveFile;
    const Outcome o = co_await statusRequest(request, parse, QStringLiteral("The phone did not remove %1").arg(name));
    co_return self ? o : Outcome::cancelled();
}

QCoro::Task<Outcome> BrewSession::makeBrewFolder(QString brewPath, QString name)
{
    QPointer<BrewSession> self(this);
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        co_return Outcome::failed(FailureKind::Usage, QStringLiteral("\"%1\" is no folder name.").arg(name));
    const QString phoneName = brew::brewFolderPath(brewPath) + name;
    const auto request = brew::makeFolderRequest(phoneName);
    const Outcome o = co_await statusRequest(request, &brew::parseMakeFolder,
                                             QStringLiteral("The phone did not create the folder %1").arg(phoneName));
    co_return self ? o : Outcome::cancelled();
}

QCoro::Task<Outcome> BrewSession::statusRequest(Checked<QByteArray> request, StatusParser parse, QString failure)
{
    QPointer<BrewSession> self(this);
    if (!request)
        co_return Outcome::failed(FailureKind::Usage, request.error());
    Exchange exchange(*this);
    const Judge judge = [parse](QByteArrayView p) {
        const auto status = parse(p);
        if (!status)
            return Next{};
        return Next{*status == brew::Status::Done ? Step::Done : Step::Refused, {}, {}};
    };
    const auto a = co_await converse(*request, false, judge);
    if (!self)
        co_return Outcome::cancelled();
    if (!a.ok())
        co_return a.outcome;
    if (a.value.next.step != Step::Done)
        co_return Outcome::failed(FailureKind::Refused, failure + QStringLiteral(": ") + describeBrewError(a.value.payload));
    co_return Outcome::completed();
}

} // namespace vandrel::link
