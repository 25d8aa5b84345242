#include "ucs2.h"

namespace vandrel::text {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

QString UnicodeHexFromText(QStringView text)
{
    QString out;
    out.reserve(text.size() * 4);
    for (const QChar c : text)
        out += QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    return out;
}

std::optional<QString> TextFromUnicodeHex(QStringView hex)
{
    if (hex.size() % 4 != 0)
        return std::nullopt;
    QString out;
    out.reserve(hex.size() / 4);
    for (qsizetype i = 0; i < hex.size(); i += 4) {
        unsigned code = 0;
        for (qsizetype k = i; k < i + 4; ++k) {
            const int d = hexDigit(hex[k]);
            if (d < 0)
                return std::nullopt;
            code = code * 16 + unsigned(d);
        }
        out.append(QChar(char16_t(code)));
    }
    return out;
}

QByteArray toUcs2(QStringView text, Endian endian)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        const char hi = char(c.unicode() >> 8);
        const char lo = char(c.unicode() & 0xFF);
        if (endian == Endian::Big) {
            out.append(hi);
            out.append(lo);
        } else {
            out.append(lo);
            out.append(hi);
        }
    }
    return out;
}

QString fromUcs2(QByteArrayView bytes, Endian endian)
{
    QString out;
    out.reserve((bytes.size() + 1) / 2);
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0u;
        const unsigned code = endian == Endian::Big ? (i + 1 < bytes.size() ? (a << 8) | b : a)
                                                    : (b << 8) | a;
        out.append(QChar(char16_t(code)));
    }
    return out;
}

} // namespace vandrel::text
