#pragma once

#include <QStringList>
#include <optional>
#include <string>

#include "dialog/vellora.h"

// How the program is asked to start. Without options it starts as it always has.
struct ProgramOptions {
  std::string Address;    // --address, dotted; empty when not given
  std::string Interface;  // --interface
  bool Expanded = false;  // --expanded
  std::string LogPath;    // --log
  // Where Set && Incr. takes its serial numbers: the counter file (--serial-file), or the line
  // database's pool (--line, without a password), with the station's name in the record
  // (--station, by default the host name). Neither: the four edits, as typed.
  std::string SerialFile;
  std::string Line;
  std::string Station;
};

// The program ends before a window opens: with this exit code, after printing the text (on
// stdout after --help or --version, on stderr after a bad command line).
struct EarlyExit {
  int Code = 0;
  std::string Text;
};

// Reads the program's options from the command line (arguments[0] is the program), leaving Qt's
// own options (qt_standard_options.h) for QApplication. Needs a QCoreApplication, no window
// system. An early exit: 0 after --help or --version, 2 after a bad command line, said with a
// hint to --help.
std::optional<EarlyExit> ReadProgramOptions(const QStringList& arguments, ProgramOptions& options);

// The options that make the window a station of a production line, once parsed: at most one
// source of serial numbers, a CONNINFO that libpq reads and that holds no password, a station
// named only with a line database (by default the host name). Their values go into `options`.
// The early exit of a refusal never shows the CONNINFO.
std::optional<EarlyExit> ReadStationOptions(const std::string& serialFile, const std::string& line,
                                            bool lineGiven, const std::string& station,
                                            bool stationGiven, ProgramOptions& options);

// The entry the options ask for among the PC's own addresses (an address, an interface, or the
// address on that interface), into `start`; nothing asked for leaves it empty. Exit code 2,
// with the reason and the PC's addresses on stderr, when the PC has no such entry or the
// address stands on several interfaces and none was named.
std::optional<int> ChooseStartAddress(const ProgramOptions& options, StartOptions& start);
