#pragma once
// UTF-16 big-endian, the text of OBEX names and paths.
#include <QByteArray>
#include <QString>

namespace vandrel::text {

QByteArray toUtf16BE(QStringView text);

// An odd trailing byte is dropped.
QString fromUtf16BE(QByteArrayView bytes);

} // namespace vandrel::text
