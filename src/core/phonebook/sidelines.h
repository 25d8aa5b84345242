#pragma once
// Text lines of the side files "addr.vdl" and "grp.vdl": each line ended by CR LF.
#include <QByteArray>
#include <QStringList>

namespace vandrel::phonebook {

inline const QString kRecipientFileName = QStringLiteral("addr.vdl");
inline const QString kGroupSideFileName = QStringLiteral("grp.vdl");

// cp1250 as the files have always been; UTF-8 only when a line holds a character cp1250
// cannot carry, so that no name is lost.
QByteArray writeSideLines(const QStringList &lines);
// UTF-8 when the bytes are valid UTF-8, else cp1250. CR LF or a bare LF ends a line.
QStringList readSideLines(QByteArrayView file);

} // namespace vandrel::phonebook
