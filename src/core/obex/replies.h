#pragma once
// OBEX replies: whole packets from a split byte stream, their headers, and what they mean.
#include "core/diag/checked.h"

#include <QByteArray>
#include <QList>
#include <optional>

namespace vandrel::obex {

struct Header {
    quint8 id = 0;
    QByteArray value;   // byte and text headers: the value without id and length; 1- and 4-byte headers: the raw bytes
};

struct Packet {
    quint8 code = 0;        // opcode or response code, final bit included
    QByteArray prefix;      // fields before the headers: connect (4 bytes), set-path (2 bytes)
    QList<Header> headers;

    const Header *find(quint8 id) const;
    std::optional<quint32> connectionId() const;
    // Body and End-of-Body contents, in order.
    QByteArray body() const;
    bool hasEndOfBody() const;
};

// A whole packet (length field equal to its size) -> its headers; malformed when lengths disagree.
// `prefixLength` fixed bytes follow the length field: 4 in connect packets, 2 in set-path requests.
Checked<Packet> parsePacket(QByteArrayView bytes, qsizetype prefixLength = 0);

// Framer for reply readers: the length of the OBEX packet at the start of `buffer` (its bytes
// 1-2), 0 while incomplete. A length field below 3 gives 3, so that parsePacket refuses it.
qsizetype obexPacketLength(const QByteArray &buffer);

// Framer for the modem port in OBEX mode: the length of the reply at the start of `buffer`,
// 0 while incomplete. A reply is a response packet (code 0x80 or above) up to its length
// field, or one text line, as a phone that fell back to command mode answers "ERROR". Line
// ends left over before either belong to it.
qsizetype replyLength(const QByteArray &buffer);
// A reply without the line ends before it.
QByteArrayView replyContent(QByteArrayView reply);

// Which connection ids a reply may carry: the explorer accepts four, the transfer window three.
enum class Acceptance { Explorer, Transfer };
bool acceptedConnectionId(quint32 id, Acceptance acceptance);

enum class ReplyKind {
    ConnectAccepted, // A0, version 1.0, Connection-Id, Who = the service
    Success,         // A0 00 08 CB id: set-path, delete, move or attributes done
    Continue,        // 90 00 08 CB id: send the next upload packet
    TransferEnd,     // A0 00 0B CB id 49 00 03: empty End-of-Body
    Forbidden,       // C3
    NotFound,        // C4
    MemorySize,      // 17-byte A0 reply without body: the size in bytes 14-17
    Other,           // anything else, such as listing data
};

struct Reply {
    ReplyKind kind = ReplyKind::Other;
    quint8 code = 0;
    quint32 memorySize = 0;     // MemorySize
    quint16 maxPacketLength = 0; // ConnectAccepted
};

// What a whole reply packet means. Connect, success, continue and end replies must carry an
// accepted connection id; forbidden and not-found replies may also come without one.
Reply classifyReply(QByteArrayView packet, Acceptance acceptance);

} // namespace vandrel::obex
