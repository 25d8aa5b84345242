#pragma once
// The GSM 03.38 default alphabet and its extension table, as septet values (0..127).
// A character of the extension table is two septets: the escape 0x1B and its code.
#include <QByteArray>
#include <QString>
#include <optional>

namespace vandrel::text {

inline constexpr char kGsm7Escape = 0x1B;

// Septet values for the text; nothing when a character has no seven-bit form
// (`badIndex`, when given, names the first such character).
std::optional<QByteArray> toGsm7(QStringView text, qsizetype *badIndex = nullptr);

bool gsm7CanEncode(QStringView text);

// Septets to text. An escape before a code the extension table does not know stands for
// nothing and the code reads from the default table, as receivers are told to do.
QString fromGsm7(QByteArrayView septets);

// Number of septets the text takes (escape pairs count two); -1 when it cannot be carried.
qsizetype gsm7Length(QStringView text);

} // namespace vandrel::text
