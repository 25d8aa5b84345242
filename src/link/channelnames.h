#pragma once
// The link's sessions and windows speak of the port interface as the link's own
// (link::SerialChannel, link::OpenError); it lives in the channel library below.
#include <channel/serialchannel.h>

namespace vandrel::link {

using channel::OpenError;
using channel::SerialChannel;

} // namespace vandrel::link
