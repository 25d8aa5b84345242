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

struct DecodedSms {
    QString serviceCentre; // digits, empty when the PDU carries none
    QString number;        // the other party: digits, or an alphanumeric sender
    QString date;          // DD.MM.20YY hh:mm:ss.ZZ; for a stored outgoing message the listing time
    QString text;
    bool outgoing = false; // a stored SMS-SUBMIT
    Coding coding = Coding::Gsm7;
    quint8 dataCoding = 0;
    bool statusReport = false; // requested (SUBMIT) or indicated (DELIVER)
    Concatenation concat;
};

// `listedAt` dates a stored outgoing message, which carries no time stamp.
Checked<DecodedSms> decodePdu(QStringView pdu, const QDateTime &listedAt = {});

// The seven-bit codes of é, ì and à as the message list used to show them.
QString plainAccentsOfSevenBitCodes(QString text);

} // namespace vandrel::sms
