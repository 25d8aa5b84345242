#pragma once
// The phone's own SMS PDU writer and reader (3GPP 23.040, alphabets of 23.038): it writes the
// SMS-DELIVER PDUs of received messages and the SMS-SUBMIT PDUs of stored outgoing ones, and
// reads what the client sends with AT+CMGS. Shares nothing with the client's codec, so a
// fault there shows up here instead of being mirrored. PDUs are uppercase hex texts.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace vandrel::phonesim::sms {

enum class Coding { Gsm7, Data8, Ucs2 };

struct Concatenation {
    int reference = -1; // -1: not part of a concatenated message
    int parts = 0;
    int part = 0;
    bool wideReference = false; // element 08 (16-bit reference) instead of 00
};

// One received message part as the phone stores it.
struct Deliver {
    QString centre = QStringLiteral("+420603052000");
    QString from;          // "+420…" international, digits only national, anything else alphanumeric
    QString text;          // one part's text
    QDateTime time;        // service-centre time stamp, with its offset from UTC
    Concatenation concat;
};

// One stored outgoing message part.
struct Submit {
    QString centre = QStringLiteral("+420603052000");
    QString to;
    QString text;
    int validity = 0xAA; // relative validity-period octet
    Concatenation concat;
};

QByteArray deliverPdu(const Deliver &d);
QByteArray submitPdu(const Submit &s);

// What the client's SMS-SUBMIT carried; `error` says why a PDU was not acceptable.
struct ParsedSubmit {
    QString error;
    int centreOctets = 0; // the service-centre field, length octet included
    int tpduOctets = 0;   // what AT+CMGS must announce
    QString number;
    QString text;
    Coding coding = Coding::Gsm7;
    bool statusReport = false;
    int validityFormat = 0; // 0 none, 1 enhanced, 2 relative, 3 absolute
    Concatenation concat;
};
ParsedSubmit parseSubmit(const QByteArray &pduHex);

// Whether the text needs UCS-2, and the parts it takes (a seven-bit part never ends inside an
// escape pair); `wideReference` sizes the concatenation header.
bool needsUcs2(const QString &text);
QStringList splitIntoParts(const QString &text, bool wideReference = false);

// Octets in front of the TPDU (the service-centre length octet and its field), from the hex.
int centreOctetsOf(const QByteArray &pduHex);

} // namespace vandrel::phonesim::sms
