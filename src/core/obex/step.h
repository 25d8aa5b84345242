#pragma once
// What an OBEX engine wants next after one reply, and the judging all engines share.
#include "replies.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace vandrel::obex {

enum class Step {
    Send,       // write `bytes` (with the carriage return where the packet takes one)
    NeedData,   // the next upload packet carries file data: hand it to the engine
    Done,       // the exchange is complete
    NotFound,   // the phone has no such folder or file
    Refused,    // the phone said no; `error` is its answer's code ("0xc0"), empty for "forbidden"
    Malformed,  // the reply breaks the protocol; `error` says how
    PhoneError, // the phone answered "ERROR": it is back in command mode
    Invalid,    // the request cannot be carried (a name too long, a bad character); `error` says why
    Ignored,    // a text line that answers nothing
};

struct Next {
    Step step = Step::Ignored;
    QByteArray bytes;
    QString error;
};

// The text-line half of every judgement: PhoneError for "ERROR", Ignored for any other line,
// nothing for a packet (whose bytes, without the line ends before it, go to `packet`).
std::optional<Next> judgeLine(QByteArrayView reply, QByteArrayView &packet);

// A reply that is not the success an engine waits for: not found, forbidden, or refused with
// its code.
Next refusal(QByteArrayView packet, Acceptance acceptance);

// Send `bytes`; Invalid when they could not be built.
Next sendOrInvalid(const Checked<QByteArray> &bytes);

} // namespace vandrel::obex
