#include "replies.h"

#include "packets.h"

namespace vandrel::obex {
namespace {

quint32 readU32(QByteArrayView b, qsizetype at)
{
    return (quint32(quint8(b[at])) << 24) | (quint32(quint8(b[at + 1])) << 16) | (quint32(quint8(b[at + 2])) << 8)
        | quint32(quint8(b[at + 3]));
}

quint16 readU16(QByteArrayView b, qsizetype at)
{
    return quint16((quint8(b[at]) << 8) | quint8(b[at + 1]));
}

constexpr quint8 kSuccess = 0xA0;
constexpr quint8 kContinue = 0x90;
constexpr quint8 kForbidden = 0xC3;
constexpr quint8 kNotFound = 0xC4;

bool isBareIdReply(const Packet &p, Acceptance acceptance)
{
    const auto id = p.connectionId();
    return p.headers.size() == 1 && id && acceptedConnectionId(*id, acceptance);
}

} // namespace

const Header *Packet::find(quint8 id) const
{
    for (const Header &h : headers)
        if (h.id == id)
            return &h;
    return nullptr;
}

std::optional<quint32> Packet::connectionId() const
{
    const Header *h = find(0xCB);
    if (!h)
        return std::nullopt;
    return readU32(h->value, 0);
}

QByteArray Packet::body() const
{
    QByteArray out;
    for (const Header &h : headers)
        if (h.id == 0x48 || h.id == 0x49)
            out.append(h.value);
    return out;
}

bool Packet::hasEndOfBody() const { return find(0x49) != nullptr; }

Checked<Packet> parsePacket(QByteArrayView bytes, qsizetype prefixLength)
{
    using Result = Checked<Packet>;
    if (bytes.size() < 3)
        return Result::failure(QStringLiteral("OBEX packet shorter than its length field"));
    if (readU16(bytes, 1) != bytes.size())
        return Result::failure(QStringLiteral("OBEX packet length field %1 does not match its %2 bytes")
                                   .arg(readU16(bytes, 1))
                                   .arg(bytes.size()));
    Packet p;
    p.code = quint8(bytes[0]);
    qsizetype at = 3;
    if (prefixLength > 0) {
        if (bytes.size() < 3 + prefixLength)
            return Result::failure(QStringLiteral("OBEX packet too short for its fixed fields"));
        p.prefix = bytes.sliced(3, prefixLength).toByteArray();
        at = 3 + prefixLength;
    }
    while (at < bytes.size()) {
        Header h;
        h.id = quint8(bytes[at]);
        qsizetype valueAt = at + 1;
        qsizetype valueLength = 0;
        switch (h.id & 0xC0) {
        case 0x00:
        case 0x40:
            if (at + 3 > bytes.size())
                return Result::failure(QStringLiteral("OBEX header cut off"));
            valueLength = readU16(bytes, at + 1) - 3;
            valueAt = at + 3;
            if (valueLength < 0)
                return Result::failure(QStringLiteral("OBEX header length below 3"));
            break;
        case 0x80:
            valueLength = 1;
            break;
        default:
            valueLength = 4;
            break;
        }
        if (valueAt + valueLength > bytes.size())
            return Result::failure(QStringLiteral("OBEX header 0x%1 runs past the packet").arg(h.id, 2, 16, QLatin1Char('0')));
        h.value = bytes.sliced(valueAt, valueLength).toByteArray();
        p.headers.append(h);
        at = valueAt + valueLength;
    }
    return p;
}

qsizetype obexPacketLength(const QByteArray &buffer)
{
    if (buffer.size() < 3)
        return 0;
    const qsizetype length = qMax<qsizetype>(3, readU16(buffer, 1));
    return buffer.size() >= length ? length : 0;
}

namespace {
qsizetype leadingLineEnds(QByteArrayView b)
{
    qsizetype skip = 0;
    while (skip < b.size() && (b[skip] == '\r' || b[skip] == '\n'))
        ++skip;
    return skip;
}
} // namespace

qsizetype replyLength(const QByteArray &buffer)
{
    const qsizetype skip = leadingLineEnds(buffer);
    if (skip == buffer.size())
        return 0;
    if (quint8(buffer.at(skip)) >= 0x80) {
        const qsizetype n = obexPacketLength(buffer.mid(skip));
        return n > 0 ? skip + n : 0;
    }
    const qsizetype lf = buffer.indexOf('\n', skip);
    return lf < 0 ? 0 : lf + 1;
}

QByteArrayView replyContent(QByteArrayView reply)
{
    return reply.sliced(leadingLineEnds(reply));
}

bool acceptedConnectionId(quint32 id, Acceptance acceptance)
{
    switch (id) {
    case 0x024E804C:
    case 0x024C511C:
    case 0x024C510C:
        return true;
    case 0x02462A9F:
        return acceptance == Acceptance::Explorer;
    default:
        return false;
    }
}

Reply classifyReply(QByteArrayView bytes, Acceptance acceptance)
{
    Reply r;
    if (bytes.isEmpty())
        return r;
    r.code = quint8(bytes[0]);

    if (r.code == kSuccess) {
        const auto connect = parsePacket(bytes, 4);
        if (connect && connect->prefix.at(0) == 0x10 && connect->headers.size() == 2) {
            const Header *who = connect->find(0x4A);
            const auto id = connect->connectionId();
            if (who && who->value == serviceUuid() && id && acceptedConnectionId(*id, acceptance)) {
                r.kind = ReplyKind::ConnectAccepted;
                r.maxPacketLength = readU16(connect->prefix, 2);
                return r;
            }
        }
    }
    const auto parsed = parsePacket(bytes);
    if (!parsed)
        return r;
    const Packet &p = *parsed;
    switch (r.code) {
    case kSuccess:
        if (isBareIdReply(p, acceptance)) {
            r.kind = ReplyKind::Success;
        } else if (p.headers.size() == 2 && p.headers.at(0).id == 0xCB && p.headers.at(1).id == 0x49
                   && p.headers.at(1).value.isEmpty() && acceptedConnectionId(*p.connectionId(), acceptance)) {
            r.kind = ReplyKind::TransferEnd;
        } else if (bytes.size() == 17 && !p.find(0x48) && !p.find(0x49)) {
            r.kind = ReplyKind::MemorySize;
            r.memorySize = readU32(bytes, 13);
        }
        break;
    case kContinue:
        if (isBareIdReply(p, acceptance))
            r.kind = ReplyKind::Continue;
        break;
    case kForbidden:
    case kNotFound:
        if (p.headers.isEmpty() || isBareIdReply(p, acceptance))
            r.kind = r.code == kForbidden ? ReplyKind::Forbidden : ReplyKind::NotFound;
        break;
    default:
        break;
    }
    return r;
}

} // namespace vandrel::obex
