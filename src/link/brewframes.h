#pragma once
// Waiting for the next whole diagnostic frame on the diagnostic port's reader.
//
// The wait keeps its state apart from the coroutine frame, so that wake-ups posted by bytes
// that arrive in many small pieces, and handled after the wait has ended, find nothing to
// resume instead of a frame that is gone.
#include "phonelink.h"

#include <QCoroTask>
#include <chrono>

namespace vandrel::link {

// The next frame up to and including its 0x7E; TimeOut after `limit`, LinkLost when the port
// closes, Cancelled after the reader's cancel().
QCoro::Task<Result<QByteArray>> nextDiagFrame(PhoneLink &link, std::chrono::milliseconds limit);

} // namespace vandrel::link
