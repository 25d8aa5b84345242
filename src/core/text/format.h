#pragma once
// Size and date texts shared by both explorer panes and the link codecs.
#include <QDateTime>
#include <QString>
#include <optional>

namespace vandrel::text {

// Decimal text with a blank before the last three digits and, when the text is then longer
// than seven characters, another before the last six: 1234 -> "1 234", 1234567 -> "1 234 567".
QString groupSize(qint64 value);

// Zero-pads a d.m.yyyy h:mm:ss text to dd.mm.yyyy hh:mm:ss; shorter texts are padded as far as they go.
QString editPCdate(QStringView text);

// dd.mm.yyyy... -> yyyymmdd (from the padded text); empty when the text is shorter than a date.
QString editMOdate(QStringView text);

// (dd.mm.yyyy, hh:mm:ss) -> yyyymmddThhmmss; empty when the date is shorter than a date.
QString editTimeDate(QStringView date, QStringView time);

// Hexadecimal digits without prefix; nothing for an empty text, other characters or overflow.
std::optional<quint64> HexToInt(QStringView text);

// The dd.mm.yyyy hh:mm:ss text of the panes, whatever the locale.
QString dateTimeText(const QDateTime &when);

// The yyyymmddThhmmss stamp sent in an upload's Time header.
QString obexTimeStamp(const QDateTime &when);

// A phone stamp yyyymmddThhmmss (optionally ending in "Z") -> dd.mm.yyyy hh:mm:ss; nothing if malformed.
std::optional<QString> dateTextFromStamp(QStringView stamp);

} // namespace vandrel::text
