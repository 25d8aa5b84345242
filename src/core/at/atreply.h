#pragma once
// AT replies on the modem port: a reply is complete at its final result code line, and
// unsolicited notices (+CMTI) are recognised wherever they fall.
#include <QByteArray>
#include <QList>
#include <optional>

namespace vandrel::at {

// Error is the phone's plain "ERROR"; DeviceError a numbered "+CMS ERROR: n" or "+CME ERROR: n";
// Other the final codes of a call or data connection ("NO CARRIER", "BUSY", ...), which say
// nothing about the phone's health.
enum class Final { None, Ok, Error, DeviceError, Other };
inline bool isFailure(Final f) { return f != Final::None && f != Final::Ok; }

// Length of the first complete reply at the start of `buffer` (through the line of its final
// result code: OK, ERROR, +CMS ERROR, +CME ERROR, NO CARRIER), or 0 while incomplete.
qsizetype replyLength(const QByteArray &buffer);

// The final result code of a complete reply.
Final finalOf(const QByteArray &reply);

// The information lines of a reply: no echo of `command`, no blank lines, no final code.
QList<QByteArray> informationLines(const QByteArray &reply, const QByteArray &command = {});

// Removes every complete "+CMTI:" line from `buffer` and returns them, in order.
QList<QByteArray> takeNewMessageNotices(QByteArray &buffer);

// The storage index of a new-message notice such as +CMTI: "SM",12 (at most three digits).
std::optional<int> newMessageIndex(const QByteArray &notice);

} // namespace vandrel::at
