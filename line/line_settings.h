#pragma once

#include <cstddef>
#include <optional>
#include <string>

// What a program checks before it works with the line database, the window and vellora-cli
// alike: the CONNINFO it was given, and the station's name.

// Why the CONNINFO that `source` gave ("--line", "VELLORA_LINE") cannot be used: it is empty,
// libpq cannot read it, or it holds a password (a password is never taken from the command line
// or the environment; .pgpass is the place for it). Nothing when it can be used. The text
// never quotes the CONNINFO, which may hold a password.
std::optional<std::string> ConninfoRefusal(const std::string& conninfo, const std::string& source);

// The longest station name a program takes, in bytes.
inline constexpr std::size_t kStationNameLimit = 64;

// The station's name when none is given: the host name; nothing when it is unknown.
std::optional<std::string> HostStationName();
