#pragma once
// The phone link of a command: ports from the global options, else the saved settings.
#include "cli.h"

#include <link/phonelink.h>

#include <memory>

namespace vandrel::cli {

std::unique_ptr<link::PhoneLink> makeLink(const GlobalOptions &options);

// The diagnostic port opened; on failure says why and returns nullptr.
std::unique_ptr<link::PhoneLink> openDiag(const GlobalOptions &options);

// Opens the modem port and puts the phone in echo mode, with `notices` also asks for new-message
// notices; on failure says why and returns false.
bool connectModem(link::PhoneLink &link, bool notices = false);

// The message for a failed outcome, in the program's words.
QString describeFailure(const link::Outcome &outcome);

} // namespace vandrel::cli
