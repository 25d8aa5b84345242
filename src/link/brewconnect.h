#pragma once
// Connecting in BREW access from the explorer: the diagnostic port opened, then the listing of
// the BREW path. The connection stands when the listing arrives; a silence of `BrewTimer`'s
// length (0.9 s) on the port ends the attempt.
#include "brewsession.h"
#include "connectsession.h"

namespace vandrel::link {

inline constexpr std::chrono::milliseconds kBrewSilence{900};

QCoro::Task<Result<BrewFolder>> connectBrewAndList(PhoneLink &link, ConnectSession &session, BrewSession &brew,
                                                   QString path, std::chrono::milliseconds silence = kBrewSilence);

} // namespace vandrel::link
