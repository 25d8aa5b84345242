#pragma once
// Text lines of the side files "addr.vdl" and "grp.vdl": each line ended by CR LF.
#include <QByteArray>
#include <QStringList>

namespace vandrel::phonebook {

inline const QString kRecipientFileName = QStringLiteral("addr.vdl");
inline const QString kGroupSideFileName = QStringLiteral("grp.vdl");

// UTF-8, with a byte-order mark only in front of a first line that begins with U+FEFF.
QByteArray writeSideLines(const QStringList &lines);
// UTF-8 when the bytes are valid UTF-8, else cp1250 (files of older versions); one leading
// byte-order mark is dropped. CR LF or a bare LF ends a line.
QStringList readSideLines(QByteArrayView file);

} // namespace vandrel::phonebook
