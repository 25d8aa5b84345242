#pragma once
// SMS TPDUs as the phone exchanges them in PDU mode: uppercase hexadecimal text.
#include "core/diag/checked.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace vandrel::sms {

// Every message we send carries this concatenation reference.
inline constexpr quint8 kConcatReference = 0x31;
inline constexpr int kMaxParts = 255;

enum class Coding { Gsm7, EightBit, Ucs2 };

struct Concatenation {
    int reference = 0;
    int count = 0;   // 0: not a part of a longer message
    int number = 0;  // 1-based
    friend bool operator==(const Concatenation &, const Concatenation &) = default;
};

struct SubmitPdu {
    QString pdu;       // hexadecimal TPDU with the empty service-centre field "00" in front
    int tpduLength = 0; // for AT+CMGS=: octets without that service-centre field
};

// One part of a message: the destination (digits, an optional leading "+"; always sent as an
// international number), the relative validity octet, the part's text (no header; the
// concatenation header is added for part counts of 2 or more) and the report flag.
// Text the seven-bit alphabet can carry goes seven-bit, any other text as UCS-2.
Checked<SubmitPdu> encodeSubmitPart(QStringView destination, quint8 validity, QStringView text,
                             int partNumber, int partCount, bool statusReport,
                             quint8 reference = kConcatReference);

// The part texts of a message: one part up to 160 septets (70 UCS-2 units), else parts of
// 153 septets (67 units). An escape pair or a surrogate pair is never split.
Checked<QStringList> splitIntoParts(QStringView text);

// The whole message: split, every part encoded, the delivery report requested on the last.
Checked<QList<SubmitPdu>> encodeMessage(QStringView destination, quint8 validity, QStringView text,
                                        bool statusReport, quint8 reference = kConcatReference);

// The septets that carry a user-data header at the head of a seven-bit part: the header's
// octets unpacked as septets, the fill bits zero. Nothing for text that is not hexadecimal.
std::optional<QByteArray> headerAsSeptets(QStringView headerHex);

// Septet packing and unpacking, least significant bit first.
QByteArray packSeptets(QByteArrayView septets);
QByteArray unpackSeptets(QByteArrayView octets, int count);

enum class MessageKind { Deliver, Submit, StatusReport };

// A time stamp of the service centre. An impossible one (month 15, day 33, digits above 9)
// leaves `text` empty and says why in `problem`.
struct TimeStamp {
    QString text;    // dd.MM.yyyy hh:mm:ss, local time of the centre
    QString zone;    // "+01:00", "-03:00"; empty when the moment carries no zone
    QDateTime when;  // the same moment with its offset; invalid when unknown
    QString problem;
    // The text with its zone, or the problem.
    QString display() const;
};

struct DecodedSms {
    QString serviceCentre; // "+" and digits when international; empty when the PDU carries none
    QString number;        // the other party (a report's recipient): "+" when international, or an alphanumeric sender
    TimeStamp stamp;       // received: the centre's time stamp; report: when the message was sent;
                           // stored outgoing: the listing time (it carries none of its own)
    QString text;
    MessageKind kind = MessageKind::Deliver;
    Coding coding = Coding::Gsm7;
    quint8 dataCoding = 0;
    bool statusReport = false; // requested (SUBMIT) or indicated (DELIVER)
    Concatenation concat;
    int applicationPort = -1;  // destination port of a message addressed to an application
    // Delivery reports only.
    int messageReference = -1;
    TimeStamp discharged;      // when the message was delivered, or the attempt given up
    int status = -1;           // TP-Status octet

    bool outgoing() const { return kind == MessageKind::Submit; }
};

// `listedAt` dates a stored outgoing message, which carries no time stamp.
Checked<DecodedSms> decodePdu(QStringView pdu, const QDateTime &listedAt = {});

// What a delivery report's status means for the message.
enum class DeliveryOutcome { Delivered, Pending, Failed };
DeliveryOutcome deliveryOutcome(int status);
// The status in words, such as "delivered" or "not delivered: validity period expired".
QString deliveryStatusText(int status);

// The seven-bit codes of é, ì and à as the message list used to show them.
QString plainAccentsOfSevenBitCodes(QString text);

} // namespace vandrel::sms
