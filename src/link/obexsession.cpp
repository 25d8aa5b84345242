#include "obexsession.h"

#include "connectsession.h"

#include <core/obex/listing.h>
#include <core/obex/packets.h>

#include <QPointer>

namespace vandrel::link {

using obex::ReplyKind;

namespace {
template <class T>
Result<T> failure(FailureKind kind, const QString &detail)
{
    return Result<T>::from(Outcome::failed(kind, detail));
}
} // namespace

std::optional<obex::MemoryRoot> memoryRootOf(const QStringList &path)
{
    if (path.isEmpty())
        return std::nullopt;
    if (path.first() == QLatin1String("mmc"))
        return obex::MemoryRoot::Mmc;
    if (path.first() == QLatin1String("user"))
        return obex::MemoryRoot::User;
    return std::nullopt;
}

ObexSession::ObexSession(PhoneLink &link, QObject *parent) : QObject(parent), m_link(link) {}

std::chrono::milliseconds ObexSession::limit() const
{
    const auto reply = m_link.timing().replyLimit;
    if (m_deadline.isForever())
        return reply;
    return std::min(reply, std::chrono::duration_cast<std::chrono::milliseconds>(
                               m_deadline.remainingTimeAsDuration()));
}

void ObexSession::log(const QString &line)
{
    if (m_connectingLog)
        m_link.log().append(line);
}

void ObexSession::logAlways(const QByteArray &line)
{
    m_link.log().append(line);
}

namespace {
qsizetype leadingLineEnds(const QByteArray &b)
{
    qsizetype skip = 0;
    while (skip < b.size() && (b.at(skip) == '\r' || b.at(skip) == '\n'))
        ++skip;
    return skip;
}

// A reply packet (response codes have the high bit set) by its length field, or one line of
// text: a phone that fell back to command mode answers "ERROR" instead of a packet.
qsizetype packetOrLine(const QByteArray &b)
{
    const qsizetype skip = leadingLineEnds(b);
    if (skip == b.size())
        return 0;
    if (quint8(b.at(skip)) >= 0x80) {
        const qsizetype n = obex::obexPacketLength(b.mid(skip));
        return n > 0 ? skip + n : 0;
    }
    const qsizetype lf = b.indexOf('\n', skip);
    return lf < 0 ? 0 : lf + 1;
}
} // namespace

QCoro::Task<Result<QByteArray>> ObexSession::request(QByteArray packet, bool appendCR)
{
    QPointer<ObexSession> self(this);
    const Outcome sent = co_await m_link.posliStr(packet, appendCR);
    if (!self)
        co_return Result<QByteArray>::from(Outcome::cancelled());
    if (!sent.ok())
        co_return Result<QByteArray>::from(sent);
    ReplyReader &reader = m_link.reader(PhoneLink::Port::Modem);
    const QDeadlineTimer deadline(limit());
    for (;;) {
        auto reply = co_await reader.next(packetOrLine, deadline);
        if (!self)
            co_return Result<QByteArray>::from(Outcome::cancelled());
        if (!reply.ok())
            co_return reply;
        reply.value.remove(0, leadingLineEnds(reply.value));
        if (quint8(reply.value.at(0)) >= 0x80)
            co_return reply;
        if (reply.value.contains("ERROR"))
            co_return failure<QByteArray>(FailureKind::PhoneError,
                                          QStringLiteral("Received Error from phone. Try to restart it"));
        logAlways("Read..Unknown Data.." + reply.value.trimmed());
    }
}

QCoro::Task<Outcome> ObexSession::connect()
{
    QPointer<ObexSession> self(this);
    log(QStringLiteral("Write..ObexConnect"));
    const auto reply = co_await request(obex::connectRequest(), true);
    if (!self)
        co_return Outcome::cancelled();
    if (!reply.ok())
        co_return reply.outcome;
    logAlways("Read..Obex.." + reply.value);
    if (obex::classifyReply(reply.value, m_acceptance).kind != ReplyKind::ConnectAccepted) {
        log(QStringLiteral("Read..Unknown Data..") + QString::fromLatin1(reply.value));
        co_return Outcome::failed(FailureKind::Refused, QStringLiteral("The phone refused the OBEX connection."));
    }
    log(QStringLiteral("Read..ObexConnect..OK"));
    co_return Outcome::completed();
}

QCoro::Task<Outcome> ObexSession::walk(const QStringList &path)
{
    QPointer<ObexSession> self(this);
    for (const QString &name : path) {
        const auto packet = obex::enterFolderRequest(name);
        if (!packet)
            co_return Outcome::failed(FailureKind::Usage, packet.error());
        log(QStringLiteral("Write..Entering ") + name);
        const auto reply = co_await request(*packet, false);
        if (!self)
            co_return Outcome::cancelled();
        if (!reply.ok())
            co_return reply.outcome;
        logAlways("Read..Obex.." + reply.value);
        switch (obex::classifyReply(reply.value, m_acceptance).kind) {
        case ReplyKind::Success:
            log(QStringLiteral("Read..Done..OK"));
            break;
        case ReplyKind::NotFound:
        case ReplyKind::Forbidden:
            co_return Outcome::failed(FailureKind::NotFound, QStringLiteral("The folder %1 was not found.").arg(name));
        default:
            co_return Outcome::failed(FailureKind::Malformed,
                                      QStringLiteral("Unexpected answer when entering %1.").arg(name));
        }
    }
    co_return Outcome::completed();
}

QCoro::Task<Result<MemorySizes>> ObexSession::memorySizes(obex::MemoryRoot root)
{
    QPointer<ObexSession> self(this);
    MemorySizes sizes;
    sizes.queried = true;
    for (const int code : {2, 1}) {
        const auto reply = co_await request(obex::memoryQuery(root, code), false);
        if (!self)
            co_return Result<MemorySizes>::from(Outcome::cancelled());
        if (!reply.ok()) {
            Outcome o = reply.outcome;
            if (o.isFailed() && o.kind != FailureKind::LinkLost)
                o.detail = QStringLiteral("Chyba při čtení velikosti MMC");
            co_return Result<MemorySizes>::from(o);
        }
        logAlways("Read..Obex.." + reply.value);
        const obex::Reply r = obex::classifyReply(reply.value, obex::Acceptance::Explorer);
        if (r.kind != ReplyKind::MemorySize)
            co_return failure<MemorySizes>(FailureKind::Malformed, QStringLiteral("Chyba při čtení velikosti MMC"));
        (code == 2 ? sizes.freeSpace : sizes.second) = r.memorySize;
    }
    co_return Result<MemorySizes>::of(sizes);
}

QCoro::Task<Result<QList<explorer::DirEntry>>> ObexSession::folderListing(bool *lenient)
{
    using Rows = QList<explorer::DirEntry>;
    QPointer<ObexSession> self(this);
    log(QStringLiteral("Write..FolderListing"));
    QByteArray body;
    QByteArray packet = obex::folderListingRequest();
    bool appendCR = true;
    for (;;) {
        const auto reply = co_await request(packet, appendCR);
        if (!self)
            co_return Result<Rows>::from(Outcome::cancelled());
        if (!reply.ok())
            co_return Result<Rows>::from(reply.outcome);
        const auto parsed = obex::parsePacket(reply.value);
        if (!parsed)
            co_return failure<Rows>(FailureKind::Malformed, parsed.error());
        const quint8 code = parsed->code;
        if (code == 0xC4 || code == 0xC3)
            co_return failure<Rows>(FailureKind::NotFound, QStringLiteral("The folder was not found."));
        body += parsed->body();
        if (code == 0x90) {
            logAlways(QByteArrayLiteral("Read..Dir contain..incomplete"));
            logAlways(QByteArrayLiteral("Write..Requesting rest of Dir Contain"));
            packet = obex::listingContinuationRequest();
            appendCR = false;
            continue;
        }
        if (code != 0xA0)
            co_return failure<Rows>(FailureKind::Refused,
                                    QStringLiteral("The phone refused the folder listing (0x%1).").arg(code, 2, 16, QLatin1Char('0')));
        break;
    }
    logAlways(QByteArrayLiteral("Read..Dir contain..done"));
    const auto listing = obex::parseFolderListing(body);
    if (!listing)
        co_return failure<Rows>(FailureKind::Malformed, listing.error());
    if (lenient)
        *lenient = listing->lenient;
    co_return Result<Rows>::of(listing->entries);
}

void ObexSession::leaveObexMode()
{
    m_link.leaveObexMode();
}

QCoro::Task<Result<ObexFolder>> ObexSession::listInObexMode(QStringList path, bool sizeQueryPending)
{
    QPointer<ObexSession> self(this);
    auto claim = m_link.claim(PhoneLink::Port::Modem);
    ObexFolder folder;
    auto fail = [&](const Outcome &o) {
        if (self && o.kind != FailureKind::LinkLost)
            leaveObexMode();
        return Result<ObexFolder>::from(o);
    };
    if (const Outcome o = co_await connect(); !o.ok())
        co_return fail(o);
    if (const Outcome o = co_await walk(path); !o.ok())
        co_return fail(o);
    if (sizeQueryPending || path.size() == 1) {
        if (const auto root = memoryRootOf(path)) {
            const auto sizes = co_await memorySizes(*root);
            if (!self)
                co_return Result<ObexFolder>::from(Outcome::cancelled());
            if (!sizes.ok())
                co_return fail(sizes.outcome);
            folder.memory = sizes.value;
        }
    }
    const auto rows = co_await folderListing(&folder.lenient);
    if (!self)
        co_return Result<ObexFolder>::from(Outcome::cancelled());
    if (!rows.ok())
        co_return fail(rows.outcome);
    folder.entries = rows.value;
    leaveObexMode();
    co_return Result<ObexFolder>::of(folder);
}

QCoro::Task<Result<ObexFolder>> ObexSession::list(QStringList path, bool sizeQueryPending)
{
    QPointer<ObexSession> self(this);
    auto claim = m_link.claim(PhoneLink::Port::Modem);
    ConnectSession modes(m_link, ConnectMode::Obex, false);
    const Outcome entered = co_await modes.enterObexMode(false);
    if (!self)
        co_return Result<ObexFolder>::from(Outcome::cancelled());
    if (!entered.ok())
        co_return Result<ObexFolder>::from(entered);
    co_return co_await listInObexMode(path, sizeQueryPending);
}

} // namespace vandrel::link
