#pragma once
// Windows-1250, the 8-bit code page of the phone's side files, favourites and exports.
#include <QByteArray>
#include <QString>
#include <optional>

namespace vandrel::text {

QString fromCp1250(QByteArrayView bytes);

// Every character must have a cp1250 byte; otherwise nothing is returned and, when asked,
// `badIndex` names the first character that cannot be carried.
std::optional<QByteArray> toCp1250(QStringView text, qsizetype *badIndex = nullptr);

bool cp1250CanEncode(QStringView text);

} // namespace vandrel::text
