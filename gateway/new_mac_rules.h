#pragma once

#include <functional>
#include <optional>
#include <string>

#include "protocol/text_values.h"

// What makes a MAC unfit to give a module. A MAC with the multicast bit (the first byte odd),
// all zero or all FF is no address a module can use: it would never answer again under it.
// A MAC that another module answered the last search with would be on the line twice.

// Why no module can use the MAC ("a multicast MAC (the first byte is odd)"); nothing when
// it is usable.
std::optional<std::string> UnusableMacReason(const MacAddress& mac);

// Who answered the last search with the MAC, as the line names the module ("the module at
// 10.0.0.5"); nothing when no module did.
using MacUser = std::function<std::optional<std::string>(const MacAddress& mac)>;
