#include "utf16be.h"

namespace vandrel::text {

QByteArray toUtf16BE(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        out.append(char(c.unicode() >> 8));
        out.append(char(c.unicode() & 0xFF));
    }
    return out;
}

QString fromUtf16BE(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        out.append(QChar(char16_t((quint8(bytes[i]) << 8) | quint8(bytes[i + 1]))));
    return out;
}

} // namespace vandrel::text
