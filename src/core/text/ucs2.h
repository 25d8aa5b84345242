#pragma once
// UCS-2 as the phone carries it: in SMS as hexadecimal text (big-endian code units), in the
// phonebook and the account/profile files as little-endian code units. Every character keeps
// its Unicode value; nothing is cut to one byte.
#include <QByteArray>
#include <QString>
#include <optional>

namespace vandrel::text {

// Four uppercase hexadecimal digits per UTF-16 code unit ("Ahoj č" -> "00410068006F006A0020010D").
QString UnicodeHexFromText(QStringView text);

// Groups of four hexadecimal digits to text. Nothing when the length is not a multiple of
// four or a digit is not hexadecimal.
std::optional<QString> TextFromUnicodeHex(QStringView hex);

// 0..15, or -1 for anything that is not a hexadecimal digit.
int hexDigit(QChar c);

enum class Endian { Little, Big };

QByteArray toUcs2(QStringView text, Endian endian);
// An odd last byte counts as a code unit with a zero high byte.
QString fromUcs2(QByteArrayView bytes, Endian endian);

} // namespace vandrel::text
