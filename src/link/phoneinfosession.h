#pragma once
// The phone's identity and status: the nine queries one after another on the modem port,
// each reply paired with its command by its final result code.
#include "phonelink.h"

#include <QCoroTask>
#include <QString>
#include <functional>

namespace vandrel::link {

struct PhoneInfoRow {
    QString label;
    QString value; // "ERROR" when the phone refused this one query
};

// Runs the queries; each finished row is handed to `onRow` as it arrives, and the sequence
// stops (cancelled) when `onRow` returns false: nobody wants the rest. A refused query is that
// row's value; a lost or silent link ends the sequence early.
QCoro::Task<Result<QList<PhoneInfoRow>>> readPhoneInfo(PhoneLink &link,
                                                       std::function<bool(const PhoneInfoRow &)> onRow = {});

} // namespace vandrel::link
