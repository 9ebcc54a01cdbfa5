#pragma once

#include <optional>
#include <string>

#include "dialog/vellora.h"

// How the program is asked to start. Without options it starts as it always has.
struct ProgramOptions {
  std::string Address;    // --address, dotted; empty when not given
  std::string Interface;  // --interface
  bool Expanded = false;  // --expanded
  std::string LogPath;    // --log
};

// Reads the command line; needs no window system. An exit code when the program is to end at
// once: 0 after --help or --version (printed on stdout), 2 after a bad command line (said on
// stderr with a hint to --help).
std::optional<int> ReadProgramOptions(int argc, char** argv, ProgramOptions& options);

// The entry the options ask for among the PC's own addresses (an address, an interface, or the
// address on that interface), into `start`; nothing asked for leaves it empty. Exit code 2,
// with the reason and the PC's addresses on stderr, when the PC has no such entry or the
// address stands on several interfaces and none was named.
std::optional<int> ChooseStartAddress(const ProgramOptions& options, StartOptions& start);
