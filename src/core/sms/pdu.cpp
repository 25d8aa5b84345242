#include "pdu.h"

#include "core/text/cp1250.h"
#include "core/text/gsm7.h"
#include "core/text/ucs2.h"

namespace vandrel::sms {
namespace {

constexpr int kSingleSeptets = 160;
constexpr int kPartSeptets = 153;
constexpr int kSingleUnits = 70;
constexpr int kPartUnits = 67;
constexpr int kMaxAddressDigits = 20;
constexpr int kMaxZoneQuarters = 14 * 4;

QString hexOf(QByteArrayView bytes) { return QString::fromLatin1(bytes.toByteArray().toHex().toUpper()); }

QString hexByte(int v) { return QStringLiteral("%1").arg(v & 0xFF, 2, 16, QLatin1Char('0')).toUpper(); }

std::optional<QByteArray> bytesFromHex(QStringView hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    QByteArray out;
    out.reserve(hex.size() / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int hi = text::hexDigit(hex[i]);
        const int lo = text::hexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out.append(char(hi * 16 + lo));
    }
    return out;
}

// Semi-octets, each pair swapped, an odd count filled with F.
QByteArray semiOctets(QStringView digits)
{
    QByteArray out;
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const int lo = digits[i].unicode() - u'0';
        const int hi = i + 1 < digits.size() ? digits[i + 1].unicode() - u'0' : 0xF;
        out.append(char(hi << 4 | lo));
    }
    return out;
}

QString digitsFromSemiOctets(QByteArrayView octets, int count)
{
    static const char kDigit[] = "0123456789*#abc";
    QString out;
    for (int i = 0; i < count; ++i) {
        const auto b = static_cast<unsigned char>(octets[i / 2]);
        const int nibble = (i % 2 == 0) ? (b & 0x0F) : (b >> 4);
        if (nibble == 0xF)
            break;
        out.append(QLatin1Char(kDigit[nibble]));
    }
    return out;
}

// An international number (type of number 1) is written with "+".
QString withPlus(int type, QString digits)
{
    if (((type >> 4) & 7) == 1 && !digits.isEmpty())
        digits.prepend(u'+');
    return digits;
}

// The reading position over a TPDU's octets; every read is bounds checked.
class Reader {
public:
    explicit Reader(QByteArrayView data) : m_data(data) {}
    bool has(qsizetype n) const { return n >= 0 && m_pos + n <= m_data.size(); }
    int octet() { return static_cast<unsigned char>(m_data[m_pos++]); }
    QByteArrayView take(qsizetype n)
    {
        const QByteArrayView v = m_data.sliced(m_pos, n);
        m_pos += n;
        return v;
    }
    qsizetype remaining() const { return m_data.size() - m_pos; }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
};


std::optional<QString> readAddress(Reader &r, QString *error)
{
    if (!r.has(2)) {
        *error = QStringLiteral("the PDU ends inside the address");
        return std::nullopt;
    }
    const int digits = r.octet();
    const int type = r.octet();
    const int octets = (digits + 1) / 2;
    if (!r.has(octets)) {
        *error = QStringLiteral("the address is longer than the PDU");
        return std::nullopt;
    }
    const QByteArrayView raw = r.take(octets);
    if (((type >> 4) & 7) == 5) // alphanumeric sender, packed seven-bit
        return text::fromGsm7(unpackSeptets(raw, digits * 4 / 7));
    return withPlus(type, digitsFromSemiOctets(raw, digits));
}

// Two BCD digits of a time-stamp octet, the first in the low nibble; -1 when not decimal.
int bcdOctet(int b)
{
    const int tens = b & 0x0F;
    const int units = b >> 4;
    return tens > 9 || units > 9 ? -1 : tens * 10 + units;
}

TimeStamp readTimeStamp(QByteArrayView raw)
{
    TimeStamp t;
    static const char *const kNames[] = {"year", "month", "day", "hour", "minute", "second"};
    int v[6];
    for (int i = 0; i < 6; ++i) {
        v[i] = bcdOctet(static_cast<unsigned char>(raw[i]));
        if (v[i] < 0) {
            t.problem = QStringLiteral("impossible time stamp (%1 %2)")
                            .arg(QLatin1String(kNames[i]), hexOf(raw.sliced(i, 1)));
            return t;
        }
    }
    // The zone counts quarters of an hour; bit 3 of the octet is its sign.
    const int z = static_cast<unsigned char>(raw[6]);
    const int quarters = bcdOctet(z & ~0x08);
    const QDate date(2000 + v[0], v[1], v[2]);
    struct Check {
        const char *name;
        int value;
        bool ok;
    };
    const Check checks[] = {{"month", v[1], v[1] >= 1 && v[1] <= 12}, {"day", v[2], date.isValid()},
                            {"hour", v[3], v[3] <= 23},               {"minute", v[4], v[4] <= 59},
                            {"second", v[5], v[5] <= 59}};
    for (const Check &c : checks) {
        if (!c.ok) {
            t.problem = QStringLiteral("impossible time stamp (%1 %2)").arg(QLatin1String(c.name)).arg(c.value);
            return t;
        }
    }
    if (quarters < 0 || quarters > kMaxZoneQuarters) {
        t.problem = QStringLiteral("impossible time stamp (zone %1)").arg(hexOf(raw.sliced(6, 1)));
        return t;
    }
    const int minutes = (z & 0x08 ? -quarters : quarters) * 15;
    const QTime time(v[3], v[4], v[5]);
    // Formatted apart: the centre's local time need not exist in this computer's zone.
    t.text = date.toString(QStringLiteral("dd.MM.yyyy ")) + time.toString(QStringLiteral("hh:mm:ss"));
    t.zone = QStringLiteral("%1%2:%3")
                 .arg(QChar(minutes < 0 ? u'-' : u'+'))
                 .arg(qAbs(minutes) / 60, 2, 10, QLatin1Char('0'))
                 .arg(qAbs(minutes) % 60, 2, 10, QLatin1Char('0'));
    t.when = QDateTime(date, time, Qt::OffsetFromUTC, minutes * 60);
    return t;
}

Coding codingOf(int dcs, QString *error)
{
    const int group = dcs >> 4;
    if (group <= 7) {
        if (dcs & 0x20) {
            *error = QStringLiteral("compressed message text is not supported");
            return Coding::Gsm7;
        }
        switch ((dcs >> 2) & 3) {
        case 1: return Coding::EightBit;
        case 2: return Coding::Ucs2;
        default: return Coding::Gsm7;
        }
    }
    if (group == 0xE)
        return Coding::Ucs2;
    if (group == 0xF)
        return (dcs & 0x04) ? Coding::EightBit : Coding::Gsm7;
    return Coding::Gsm7;
}

bool readHeader(QByteArrayView udh, Concatenation *concat, int *port)
{
    qsizetype i = 0;
    while (i < udh.size()) {
        if (i + 2 > udh.size())
            return false;
        const int id = static_cast<unsigned char>(udh[i]);
        const int len = static_cast<unsigned char>(udh[i + 1]);
        if (i + 2 + len > udh.size())
            return false;
        const auto at = [&](int k) { return int(static_cast<unsigned char>(udh[i + 2 + k])); };
        if (id == 0x00 && len == 3)
            *concat = {at(0), at(1), at(2)};
        else if (id == 0x08 && len == 4)
            *concat = {at(0) << 8 | at(1), at(2), at(3)};
        else if (id == 0x04 && len == 2)
            *port = at(0);
        else if (id == 0x05 && len == 4)
            *port = at(0) << 8 | at(1);
        i += 2 + len;
    }
    return true;
}

} // namespace

QByteArray packSeptets(QByteArrayView septets)
{
    QByteArray out((septets.size() * 7 + 7) / 8, '\0');
    for (qsizetype i = 0; i < septets.size(); ++i) {
        const unsigned v = static_cast<unsigned char>(septets[i]) & 0x7F;
        const qsizetype bit = i * 7;
        out[bit / 8] = char(static_cast<unsigned char>(out[bit / 8]) | (v << (bit % 8)));
        if (bit % 8 > 1)
            out[bit / 8 + 1] = char(v >> (8 - bit % 8));
    }
    return out;
}

QByteArray unpackSeptets(QByteArrayView octets, int count)
{
    QByteArray out;
    out.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype bit = i * 7;
        if (bit / 8 >= octets.size())
            break;
        unsigned v = static_cast<unsigned char>(octets[bit / 8]) >> (bit % 8);
        if (bit % 8 > 1 && bit / 8 + 1 < octets.size())
            v |= unsigned(static_cast<unsigned char>(octets[bit / 8 + 1])) << (8 - bit % 8);
        out.append(char(v & 0x7F));
    }
    return out;
}

std::optional<QByteArray> headerAsSeptets(QStringView headerHex)
{
    const auto header = bytesFromHex(headerHex);
    if (!header)
        return std::nullopt;
    // Fill bits round the header up to a septet boundary.
    return unpackSeptets(*header, int((header->size() * 8 + 6) / 7));
}

Checked<QStringList> splitIntoParts(QStringView text)
{
    QStringList parts;
    const auto septets = text::toGsm7(text);
    if (septets) {
        if (septets->size() <= kSingleSeptets)
            return QStringList{text.toString()};
        qsizetype start = 0;
        int used = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const int width = int(text::gsm7Length(text.sliced(i, 1)));
            if (used + width > kPartSeptets) {
                parts.append(text.sliced(start, i - start).toString());
                start = i;
                used = 0;
            }
            used += width;
        }
        parts.append(text.sliced(start).toString());
    } else {
        if (text.size() <= kSingleUnits)
            return QStringList{text.toString()};
        qsizetype start = 0;
        while (start < text.size()) {
            qsizetype n = qMin<qsizetype>(kPartUnits, text.size() - start);
            if (start + n < text.size() && text[start + n - 1].isHighSurrogate())
                --n;
            parts.append(text.sliced(start, n).toString());
            start += n;
        }
    }
    if (parts.size() > kMaxParts)
        return Checked<QStringList>::failure(
            QStringLiteral("the text needs %1 parts; a message has at most %2").arg(parts.size()).arg(kMaxParts));
    return parts;
}

Checked<SubmitPdu> encodeSubmitPart(QStringView destination, quint8 validity, QStringView text, int partNumber,
                             int partCount, bool statusReport, quint8 reference)
{
    using R = Checked<SubmitPdu>;
    QStringView digits = destination;
    if (digits.startsWith(u'+'))
        digits = digits.sliced(1);
    if (digits.isEmpty() || digits.size() > kMaxAddressDigits)
        return R::failure(QStringLiteral("the number \"%1\" must have 1 to %2 digits").arg(destination).arg(kMaxAddressDigits));
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return R::failure(QStringLiteral("the number \"%1\" may hold digits only").arg(destination));
    if (partCount < 1 || partCount > kMaxParts || partNumber < 1 || partNumber > partCount)
        return R::failure(QStringLiteral("part %1 of %2 does not exist").arg(partNumber).arg(partCount));

    const bool multipart = partCount > 1;
    const QByteArray header = multipart ? QByteArray::fromHex("050003") + char(reference) + char(partCount) + char(partNumber)
                                        : QByteArray();
    QString dcs;
    int udl = 0;
    QByteArray userData;
    if (const auto septets = text::toGsm7(text)) {
        const int limit = multipart ? kPartSeptets : kSingleSeptets;
        if (septets->size() > limit)
            return R::failure(QStringLiteral("the text takes %1 septets; one part carries %2").arg(septets->size()).arg(limit));
        const QByteArray headerSeptets = multipart ? *headerAsSeptets(hexOf(header)) : QByteArray();
        const QByteArray all = headerSeptets + *septets;
        dcs = QStringLiteral("00");
        udl = int(all.size());
        userData = packSeptets(all);
    } else {
        const int limit = multipart ? kPartUnits : kSingleUnits;
        if (text.size() > limit)
            return R::failure(QStringLiteral("the text takes %1 UCS-2 characters; one part carries %2").arg(text.size()).arg(limit));
        dcs = QStringLiteral("09");
        userData = header + text::toUcs2(text, text::Endian::Big);
        udl = int(userData.size());
    }

    int firstOctet = 0x11;
    if (statusReport)
        firstOctet |= 0x20;
    if (multipart)
        firstOctet |= 0x40;
    const QString pdu = QStringLiteral("00") + hexByte(firstOctet) + QStringLiteral("00") + hexByte(int(digits.size()))
                        + QStringLiteral("91") + hexOf(semiOctets(digits)) + QStringLiteral("00") + dcs + hexByte(validity)
                        + hexByte(udl) + hexOf(userData);
    return SubmitPdu{pdu, int(pdu.size() / 2 - 1)};
}

Checked<QList<SubmitPdu>> encodeMessage(QStringView destination, quint8 validity, QStringView text, bool statusReport,
                                        quint8 reference)
{
    using R = Checked<QList<SubmitPdu>>;
    const auto parts = splitIntoParts(text);
    if (!parts)
        return R::failure(parts.error());
    QList<SubmitPdu> out;
    const int count = int(parts->size());
    for (int n = 1; n <= count; ++n) {
        const auto part = encodeSubmitPart(destination, validity, parts->at(n - 1), n, count, statusReport && n == count, reference);
        if (!part)
            return R::failure(part.error());
        out.append(*part);
    }
    return out;
}

Checked<DecodedSms> decodePdu(QStringView pduText, const QDateTime &listedAt)
{
    using R = Checked<DecodedSms>;
    const auto bytes = bytesFromHex(pduText.trimmed());
    if (!bytes)
        return R::failure(QStringLiteral("the PDU is not an even run of hexadecimal digits"));
    Reader r(*bytes);
    DecodedSms sms;
    QString error;

    if (!r.has(1))
        return R::failure(QStringLiteral("the PDU is empty"));
    const int scLength = r.octet();
    if (!r.has(scLength))
        return R::failure(QStringLiteral("the service-centre field is longer than the PDU"));
    if (scLength > 0) {
        const int type = r.octet();
        sms.serviceCentre = withPlus(type, digitsFromSemiOctets(r.take(scLength - 1), (scLength - 1) * 2));
    }

    if (!r.has(1))
        return R::failure(QStringLiteral("the PDU ends after the service centre"));
    const int first = r.octet();
    switch (first & 3) {
    case 0: sms.kind = MessageKind::Deliver; break;
    case 1: sms.kind = MessageKind::Submit; break;
    case 2: sms.kind = MessageKind::StatusReport; break;
    default: return R::failure(QStringLiteral("message type 3 is not a stored message"));
    }
    sms.statusReport = first & 0x20;
    const bool hasHeader = first & 0x40;

    if (sms.kind != MessageKind::Deliver) {
        if (!r.has(1))
            return R::failure(QStringLiteral("the PDU ends before the message reference"));
        sms.messageReference = r.octet();
    }
    const auto number = readAddress(r, &error);
    if (!number)
        return R::failure(error);
    sms.number = *number;

    if (sms.kind == MessageKind::StatusReport) {
        // What follows the status (parameter indicator, optional user data) tells nothing
        // the list shows, and phones fill it differently.
        if (!r.has(15))
            return R::failure(QStringLiteral("the delivery report ends before its status"));
        sms.statusReport = false;
        sms.stamp = readTimeStamp(r.take(7));
        sms.discharged = readTimeStamp(r.take(7));
        sms.status = r.octet();
        return sms;
    }

    if (!r.has(2))
        return R::failure(QStringLiteral("the PDU ends before the data coding"));
    r.octet(); // protocol identifier
    sms.dataCoding = quint8(r.octet());
    sms.coding = codingOf(sms.dataCoding, &error);
    if (!error.isEmpty())
        return R::failure(error);

    if (sms.outgoing()) {
        const int vpf = (first >> 3) & 3;
        const int vpLength = vpf == 0 ? 0 : vpf == 2 ? 1 : 7;
        if (!r.has(vpLength))
            return R::failure(QStringLiteral("the PDU ends inside the validity period"));
        r.take(vpLength);
        if (listedAt.isValid()) {
            sms.stamp.text = listedAt.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
            sms.stamp.when = listedAt;
        }
    } else {
        if (!r.has(7))
            return R::failure(QStringLiteral("the PDU ends inside the time stamp"));
        sms.stamp = readTimeStamp(r.take(7));
    }

    if (!r.has(1))
        return R::failure(QStringLiteral("the PDU ends before the user-data length"));
    const int udl = r.octet();
    const qsizetype udOctets = sms.coding == Coding::Gsm7 ? (udl * 7 + 7) / 8 : udl;
    if (!r.has(udOctets))
        return R::failure(QStringLiteral("the user data are shorter than their length says"));
    const QByteArrayView ud = r.take(udOctets);

    // A header flag over empty user data is an empty message, as phones store them.
    qsizetype headerOctets = 0;
    if (hasHeader && !ud.isEmpty()) {
        headerOctets = 1 + static_cast<unsigned char>(ud[0]);
        if (headerOctets > ud.size() || !readHeader(ud.sliced(1, headerOctets - 1), &sms.concat, &sms.applicationPort))
            return R::failure(QStringLiteral("the user-data header is malformed"));
    }

    switch (sms.coding) {
    case Coding::Gsm7: {
        const int skip = int((headerOctets * 8 + 6) / 7);
        if (skip > udl)
            return R::failure(QStringLiteral("the user-data header is longer than the user data"));
        sms.text = text::fromGsm7(unpackSeptets(ud, udl).sliced(skip));
        break;
    }
    case Coding::Ucs2: {
        const QByteArrayView body = ud.sliced(headerOctets);
        if (body.size() % 2 != 0)
            return R::failure(QStringLiteral("the UCS-2 text has an odd number of bytes"));
        sms.text = text::fromUcs2(body, text::Endian::Big);
        break;
    }
    case Coding::EightBit:
        sms.text = text::fromCp1250(ud.sliced(headerOctets));
        break;
    }
    return sms;
}

QString TimeStamp::display() const
{
    if (!problem.isEmpty())
        return problem;
    return zone.isEmpty() ? text : text + u' ' + zone;
}

DeliveryOutcome deliveryOutcome(int status)
{
    if (status >= 0 && status < 0x20)
        return DeliveryOutcome::Delivered;
    if (status >= 0x20 && status < 0x40)
        return DeliveryOutcome::Pending;
    return DeliveryOutcome::Failed;
}

QString deliveryStatusText(int status)
{
    switch (status) {
    case 0x00: return QStringLiteral("delivered");
    case 0x01: return QStringLiteral("forwarded, delivery not confirmed");
    case 0x02: return QStringLiteral("replaced by the service centre");
    default: break;
    }
    if (status >= 0 && status < 0x20)
        return QStringLiteral("delivered");
    if (status < 0 || status > 0x7F)
        return QStringLiteral("unknown status %1").arg(hexByte(status));
    // The reasons repeat in the temporary (0x2x, 0x6x) and permanent (0x4x) classes.
    QString reason;
    switch (status) {
    case 0x20: case 0x60: reason = QStringLiteral("network congestion"); break;
    case 0x21: case 0x61: reason = QStringLiteral("recipient busy"); break;
    case 0x22: case 0x62: reason = QStringLiteral("no response from the recipient"); break;
    case 0x23: case 0x63: reason = QStringLiteral("service rejected"); break;
    case 0x24: case 0x44: case 0x64: reason = QStringLiteral("quality of service not available"); break;
    case 0x25: case 0x65: reason = QStringLiteral("error in the recipient's phone"); break;
    case 0x40: reason = QStringLiteral("remote procedure error"); break;
    case 0x41: reason = QStringLiteral("incompatible destination"); break;
    case 0x42: reason = QStringLiteral("connection rejected by the recipient"); break;
    case 0x43: reason = QStringLiteral("not obtainable"); break;
    case 0x45: reason = QStringLiteral("no interworking available"); break;
    case 0x46: reason = QStringLiteral("validity period expired"); break;
    case 0x47: reason = QStringLiteral("deleted by the sender"); break;
    case 0x48: reason = QStringLiteral("deleted by the service centre"); break;
    case 0x49: reason = QStringLiteral("the message does not exist"); break;
    default: reason = QStringLiteral("error %1").arg(hexByte(status)); break;
    }
    if (status < 0x40)
        return QStringLiteral("not delivered yet, still trying: ") + reason;
    if (status < 0x60)
        return QStringLiteral("not delivered: ") + reason;
    return QStringLiteral("not delivered, no more attempts: ") + reason;
}

QString plainAccentsOfSevenBitCodes(QString text)
{
    for (QChar &c : text) {
        if (c == QChar(0x05))
            c = u'e';
        else if (c == QChar(0x07))
            c = u'i';
        else if (c == QChar(0x7F))
            c = u'a';
    }
    return text;
}

} // namespace vandrel::sms
