#pragma once
// Byte helpers the OBEX packet and engine tests share.
#include <QByteArray>

namespace obextest {

inline QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

// ASCII names as the phone reads them: 00 before every byte.
inline QByteArray u16(const char *ascii)
{
    QByteArray out;
    for (const char *p = ascii; *p; ++p) {
        out.append('\0');
        out.append(*p);
    }
    return out;
}

} // namespace obextest
