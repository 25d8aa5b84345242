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
    return digitsFromSemiOctets(raw, digits);
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

bool readHeader(QByteArrayView udh, Concatenation *concat)
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
        r.octet(); // type of number
        sms.serviceCentre = digitsFromSemiOctets(r.take(scLength - 1), (scLength - 1) * 2);
    }

    if (!r.has(1))
        return R::failure(QStringLiteral("the PDU ends after the service centre"));
    const int first = r.octet();
    const int kind = first & 3;
    if (kind != 0 && kind != 1)
        return R::failure(QStringLiteral("message type %1 is not a stored message").arg(kind));
    sms.outgoing = kind == 1;
    sms.statusReport = first & 0x20;
    const bool hasHeader = first & 0x40;

    if (sms.outgoing) {
        if (!r.has(1))
            return R::failure(QStringLiteral("the PDU ends before the message reference"));
        r.octet();
    }
    const auto number = readAddress(r, &error);
    if (!number)
        return R::failure(error);
    sms.number = *number;

    if (!r.has(2))
        return R::failure(QStringLiteral("the PDU ends before the data coding"));
    r.octet(); // protocol identifier
    sms.dataCoding = quint8(r.octet());
    sms.coding = codingOf(sms.dataCoding, &error);
    if (!error.isEmpty())
        return R::failure(error);

    if (sms.outgoing) {
        const int vpf = (first >> 3) & 3;
        const int vpLength = vpf == 0 ? 0 : vpf == 2 ? 1 : 7;
        if (!r.has(vpLength))
            return R::failure(QStringLiteral("the PDU ends inside the validity period"));
        r.take(vpLength);
        sms.date = listedAt.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")) + QStringLiteral(":00");
    } else {
        if (!r.has(7))
            return R::failure(QStringLiteral("the PDU ends inside the time stamp"));
        const QString d = digitsFromSemiOctets(r.take(7), 14).leftJustified(14, u'0');
        sms.date = QStringLiteral("%1.%2.20%3 %4:%5:%6.%7")
                       .arg(d.mid(4, 2), d.mid(2, 2), d.mid(0, 2), d.mid(6, 2), d.mid(8, 2), d.mid(10, 2), d.mid(12, 2));
    }

    if (!r.has(1))
        return R::failure(QStringLiteral("the PDU ends before the user-data length"));
    const int udl = r.octet();
    const qsizetype udOctets = sms.coding == Coding::Gsm7 ? (udl * 7 + 7) / 8 : udl;
    if (!r.has(udOctets))
        return R::failure(QStringLiteral("the user data are shorter than their length says"));
    const QByteArrayView ud = r.take(udOctets);

    qsizetype headerOctets = 0;
    if (hasHeader) {
        if (ud.isEmpty())
            return R::failure(QStringLiteral("the user-data header is missing"));
        headerOctets = 1 + static_cast<unsigned char>(ud[0]);
        if (headerOctets > ud.size() || !readHeader(ud.sliced(1, headerOctets - 1), &sms.concat))
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
