#pragma once
// What a BREW engine wants next after one reply.
#include <QByteArray>
#include <QString>

namespace vandrel::brew {

enum class Step {
    Send,       // send `payload`
    Done,       // the operation is complete
    NotFound,   // the folder does not exist
    Refused,    // the phone refused the operation
    Malformed,  // the reply breaks the protocol; `error` says how
    Ignored,    // the reply does not belong to this operation
};

struct Next {
    Step step = Step::Ignored;
    QByteArray payload;
    QString error;
};

} // namespace vandrel::brew
