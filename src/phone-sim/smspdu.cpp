#include "smspdu.h"

#include <cctype>
#include <cstdlib>
#include <optional>

namespace vandrel::phonesim::sms {

namespace {

constexpr char16_t escapeCode = 0x1B;

// The default alphabet in code order; position 0x1B is the escape to the extension table.
constexpr char16_t defaultAlphabet[] = u"@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞ\x1B"
                                       u"ÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
                                       u"¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà";
static_assert(sizeof defaultAlphabet / sizeof defaultAlphabet[0] == 129);

struct Extension {
    quint8 code;
    char16_t character;
};
constexpr Extension extensionTable[] = {
    {0x0A, u'\f'}, {0x14, u'^'}, {0x28, u'{'}, {0x29, u'}'}, {0x2F, u'\\'},
    {0x3C, u'['},  {0x3D, u'~'}, {0x3E, u']'}, {0x40, u'|'}, {0x65, u'€'},
};

std::optional<QByteArray> toSeptets(const QString &text)
{
    QByteArray out;
    for (const QChar c : text) {
        bool found = false;
        for (int i = 0; i < 128 && !found; ++i) {
            if (i != escapeCode && defaultAlphabet[i] == c.unicode()) {
                out.append(char(i));
                found = true;
            }
        }
        for (const Extension &e : extensionTable) {
            if (!found && e.character == c.unicode()) {
                out.append(char(escapeCode)).append(char(e.code));
                found = true;
            }
        }
        if (!found)
            return std::nullopt;
    }
    return out;
}

// Septets into octets, the first septet at `startBit`; the bits in front stay zero.
QByteArray pack(const QByteArray &septets, int startBit)
{
    QByteArray out((startBit + 7 * septets.size() + 7) / 8, '\0');
    for (qsizetype i = 0; i < septets.size(); ++i) {
        const int bit = startBit + 7 * int(i);
        const int shift = bit % 8;
        const quint8 v = quint8(septets[i]) & 0x7F;
        out[bit / 8] = char(quint8(out[bit / 8]) | quint8(v << shift));
        if (shift > 1)
            out[bit / 8 + 1] = char(quint8(out[bit / 8 + 1]) | quint8(v >> (8 - shift)));
    }
    return out;
}

QByteArray unpack(const QByteArray &octets, int startBit, int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        const int bit = startBit + 7 * i;
        const int at = bit / 8;
        const int shift = bit % 8;
        unsigned v = quint8(octets.at(at)) >> shift;
        if (shift > 1 && at + 1 < octets.size())
            v |= unsigned(quint8(octets.at(at + 1))) << (8 - shift);
        out.append(char(v & 0x7F));
    }
    return out;
}

// Septets to text; false when the text ends inside an escape pair.
bool fromSeptets(const QByteArray &septets, QString *text)
{
    for (qsizetype i = 0; i < septets.size(); ++i) {
        const quint8 s = quint8(septets[i]);
        if (s != escapeCode) {
            text->append(QChar(defaultAlphabet[s]));
            continue;
        }
        if (++i == septets.size())
            return false;
        const quint8 code = quint8(septets[i]);
        QChar c(defaultAlphabet[code]); // a code the extension table lacks reads as its default character
        for (const Extension &e : extensionTable)
            if (e.code == code)
                c = QChar(e.character);
        text->append(c);
    }
    return true;
}

char bcd(int v)
{
    return char(((v % 10) << 4) | (v / 10 % 10));
}

QByteArray semiOctets(const QString &digits)
{
    QByteArray out;
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const int lo = digits[i].digitValue();
        const int hi = i + 1 < digits.size() ? digits[i + 1].digitValue() : 0xF;
        out.append(char((hi << 4) | lo));
    }
    return out;
}

bool allDigits(QStringView s)
{
    for (const QChar c : s)
        if (!c.isDigit() || c.unicode() > 0x7F)
            return false;
    return !s.isEmpty();
}

// An address field: length, type of address, value. The centre's length counts octets,
// any other address's counts useful semi-octets.
QByteArray address(const QString &number, bool centre)
{
    if (centre && number.isEmpty())
        return QByteArray(1, '\0');
    quint8 type = 0x81;
    QString digits = number;
    if (number.startsWith(u'+') && allDigits(QStringView(number).mid(1))) {
        type = 0x91;
        digits = number.mid(1);
    }
    QByteArray value;
    int length = 0;
    if (allDigits(digits)) {
        value = semiOctets(digits);
        length = centre ? int(value.size()) + 1 : int(digits.size());
    } else {
        type = 0xD0;
        const QByteArray septets = toSeptets(number).value_or(QByteArray());
        value = pack(septets, 0);
        length = (int(septets.size()) * 7 + 3) / 4;
    }
    return char(length) + QByteArray(1, char(type)) + value;
}

QByteArray timeStamp(const QDateTime &t)
{
    const QDate d = t.date();
    const QTime c = t.time();
    const int quarters = t.offsetFromUtc() / 900;
    char zone = bcd(std::abs(quarters));
    if (quarters < 0)
        zone = char(quint8(zone) | 0x08);
    return QByteArray() + bcd(d.year() % 100) + bcd(d.month()) + bcd(d.day()) + bcd(c.hour()) + bcd(c.minute())
        + bcd(c.second()) + zone;
}

QByteArray concatHeader(const Concatenation &c)
{
    if (c.reference < 0)
        return {};
    if (c.wideReference)
        return QByteArray("\x06\x08\x04", 3) + char((c.reference >> 8) & 0xFF) + char(c.reference & 0xFF)
            + char(c.parts) + char(c.part);
    return QByteArray("\x05\x00\x03", 3) + char(c.reference & 0xFF) + char(c.parts) + char(c.part);
}

struct UserData {
    quint8 coding = 0;
    quint8 length = 0;
    QByteArray bytes;
};

UserData userData(const QString &text, const Concatenation &c)
{
    const QByteArray header = concatHeader(c);
    UserData u;
    if (const auto septets = toSeptets(text)) {
        const int headerSeptets = (int(header.size()) * 8 + 6) / 7;
        u.bytes = pack(*septets, headerSeptets * 7);
        u.bytes.replace(0, header.size(), header);
        u.length = quint8(headerSeptets + septets->size());
        return u;
    }
    u.coding = 0x08;
    u.bytes = header;
    for (const QChar ch : text)
        u.bytes.append(char(ch.unicode() >> 8)).append(char(ch.unicode() & 0xFF));
    u.length = quint8(u.bytes.size());
    return u;
}

} // namespace

bool needsUcs2(const QString &text)
{
    return !toSeptets(text).has_value();
}

QStringList splitIntoParts(const QString &text, bool wideReference)
{
    const bool wide = needsUcs2(text);
    const int single = wide ? 70 : 160;
    const int perPart = (wide ? 67 : 153) - (wideReference ? 1 : 0);
    auto units = [wide](QChar c) { return wide ? 1 : int(toSeptets(QString(c)).value_or(QByteArray(1, 0)).size()); };
    int total = 0;
    for (const QChar c : text)
        total += units(c);
    if (total <= single)
        return {text};
    QStringList parts{QString()};
    int used = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A surrogate pair stays in one part, as an escape pair does.
        const int need = units(c) + (c.isHighSurrogate() ? 1 : 0);
        if (used + need > perPart) {
            parts.append(QString());
            used = 0;
        }
        parts.last().append(c);
        if (c.isHighSurrogate() && i + 1 < text.size())
            parts.last().append(text[++i]);
        used += need;
    }
    return parts;
}

QByteArray deliverPdu(const Deliver &d)
{
    const UserData u = userData(d.text, d.concat);
    const quint8 first = 0x04 | (d.concat.reference >= 0 ? 0x40 : 0x00); // no more messages to send
    const QByteArray pdu = address(d.centre, true) + char(first) + address(d.from, false) + '\0' + char(u.coding)
        + timeStamp(d.time) + char(u.length) + u.bytes;
    return pdu.toHex().toUpper();
}

QByteArray submitPdu(const Submit &s)
{
    const UserData u = userData(s.text, s.concat);
    const quint8 first = 0x11 | (s.concat.reference >= 0 ? 0x40 : 0x00); // relative validity period
    const QByteArray pdu = address(s.centre, true) + char(first) + '\0' + address(s.to, false) + '\0'
        + char(u.coding) + char(s.validity) + char(u.length) + u.bytes;
    return pdu.toHex().toUpper();
}

int centreOctetsOf(const QByteArray &pduHex)
{
    bool ok = false;
    const int n = pduHex.left(2).toInt(&ok, 16);
    return ok ? n + 1 : 0;
}

ParsedSubmit parseSubmit(const QByteArray &pduHex)
{
    ParsedSubmit p;
    auto fail = [&p](const QString &why) {
        p.error = why;
        return p;
    };
    for (const char c : pduHex)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return fail(QStringLiteral("a character that is no hexadecimal digit"));
    if (pduHex.size() % 2)
        return fail(QStringLiteral("an odd number of hexadecimal digits"));
    const QByteArray all = QByteArray::fromHex(pduHex);
    if (all.isEmpty())
        return fail(QStringLiteral("an empty PDU"));
    p.centreOctets = quint8(all[0]) + 1;
    if (p.centreOctets > all.size())
        return fail(QStringLiteral("a service-centre field longer than the PDU"));
    const QByteArray t = all.mid(p.centreOctets);
    p.tpduOctets = int(t.size());

    qsizetype at = 0;
    bool shortPdu = false;
    auto take = [&](qsizetype n) {
        if (at + n > t.size()) {
            shortPdu = true;
            at = t.size();
            return QByteArray();
        }
        at += n;
        return t.mid(at - n, n);
    };
    auto octet = [&] { const QByteArray b = take(1); return b.isEmpty() ? 0 : int(quint8(b[0])); };

    const int first = octet();
    if (shortPdu || (first & 0x03) != 0x01)
        return fail(QStringLiteral("not an SMS-SUBMIT (first octet %1)").arg(first, 2, 16, QLatin1Char('0')));
    p.validityFormat = (first >> 3) & 0x03;
    p.statusReport = first & 0x20;
    const bool headerPresent = first & 0x40;
    octet(); // message reference: the phone numbers its messages itself
    const int digits = octet();
    const int type = octet();
    if (digits > 20 || !(type & 0x80))
        return fail(QStringLiteral("a destination address of %1 digits, type %2").arg(digits).arg(type, 2, 16, QLatin1Char('0')));
    const QByteArray value = take((digits + 1) / 2);
    if (((type >> 4) & 0x07) == 0x05) {
        if (!fromSeptets(unpack(value, 0, digits * 4 / 7), &p.number))
            return fail(QStringLiteral("an alphanumeric address that ends inside an escape pair"));
    } else {
        static const char symbols[] = "0123456789*#abc";
        for (int i = 0; i < digits; ++i) {
            const int nibble = i / 2 < value.size() ? (quint8(value[i / 2]) >> (i % 2 ? 4 : 0)) & 0x0F : 0x0F;
            if (nibble == 0x0F)
                return fail(QStringLiteral("a filler inside the destination number"));
            p.number.append(QLatin1Char(symbols[nibble]));
        }
        if ((type & 0x70) == 0x10)
            p.number.prepend(u'+');
    }
    octet(); // protocol identifier
    const int dcs = octet();
    if ((dcs & 0x80) == 0) {
        if (dcs & 0x20)
            return fail(QStringLiteral("compressed text (coding %1)").arg(dcs, 2, 16, QLatin1Char('0')));
        const int alphabet = (dcs >> 2) & 0x03;
        if (alphabet == 3)
            return fail(QStringLiteral("a reserved alphabet (coding %1)").arg(dcs, 2, 16, QLatin1Char('0')));
        p.coding = alphabet == 0 ? Coding::Gsm7 : alphabet == 1 ? Coding::Data8 : Coding::Ucs2;
    } else if ((dcs & 0xF0) == 0xF0) {
        p.coding = dcs & 0x04 ? Coding::Data8 : Coding::Gsm7;
    } else if ((dcs & 0xF0) == 0xC0 || (dcs & 0xF0) == 0xD0) {
        p.coding = Coding::Gsm7;
    } else if ((dcs & 0xF0) == 0xE0) {
        p.coding = Coding::Ucs2;
    } else {
        return fail(QStringLiteral("a reserved coding group %1").arg(dcs, 2, 16, QLatin1Char('0')));
    }
    take(p.validityFormat == 2 ? 1 : p.validityFormat == 0 ? 0 : 7);
    const int length = octet();
    if (shortPdu)
        return fail(QStringLiteral("a PDU that ends before its user data"));
    const QByteArray data = t.mid(at);
    const bool septets = p.coding == Coding::Gsm7;
    const int octets = septets ? (length * 7 + 7) / 8 : length;
    if (length > (septets ? 160 : 140) || data.size() != octets)
        return fail(QStringLiteral("%1 octets of user data where the length %2 needs %3")
                        .arg(data.size()).arg(length).arg(octets));

    int headerOctets = 0;
    if (headerPresent) {
        headerOctets = data.isEmpty() ? 1 : quint8(data[0]) + 1;
        if (headerOctets > data.size())
            return fail(QStringLiteral("a user-data header longer than the user data"));
        for (int i = 1; i < headerOctets;) {
            const int id = quint8(data[i]);
            const int len = i + 1 < headerOctets ? quint8(data[i + 1]) : 255;
            if (i + 2 + len > headerOctets)
                return fail(QStringLiteral("header element %1 runs past the header").arg(id, 2, 16, QLatin1Char('0')));
            const QByteArray e = data.mid(i + 2, len);
            if ((id == 0x00 && len == 3) || (id == 0x08 && len == 4)) {
                const bool wide = id == 0x08;
                p.concat.wideReference = wide;
                p.concat.reference = wide ? quint8(e[0]) << 8 | quint8(e[1]) : quint8(e[0]);
                p.concat.parts = quint8(e[wide ? 2 : 1]);
                p.concat.part = quint8(e[wide ? 3 : 2]);
                if (p.concat.parts < 1 || p.concat.part < 1 || p.concat.part > p.concat.parts)
                    return fail(QStringLiteral("a concatenation header for part %1 of %2").arg(p.concat.part).arg(p.concat.parts));
            } else if (id == 0x00 || id == 0x08) {
                return fail(QStringLiteral("a concatenation element of length %1").arg(len));
            }
            i += 2 + len;
        }
    }

    if (septets) {
        const int headerSeptets = (headerOctets * 8 + 6) / 7;
        if (length < headerSeptets)
            return fail(QStringLiteral("a seven-bit length shorter than the header"));
        if (!fromSeptets(unpack(data, headerSeptets * 7, length - headerSeptets), &p.text))
            return fail(QStringLiteral("a seven-bit text that ends inside an escape pair"));
    } else if (p.coding == Coding::Ucs2) {
        const QByteArray body = data.mid(headerOctets);
        if (body.size() % 2)
            return fail(QStringLiteral("UCS-2 text of an odd number of octets"));
        for (qsizetype i = 0; i < body.size(); i += 2)
            p.text.append(QChar(char16_t(quint8(body[i]) << 8 | quint8(body[i + 1]))));
    } else {
        p.text = QString::fromLatin1(data.mid(headerOctets));
    }
    return p;
}

} // namespace vandrel::phonesim::sms
