#pragma once

// An operator at the window as a station of a line, driven through the window's own widgets:
// for each module on the bench the guide's cycle, as the window does it. A search, Set & Incr.,
// a search for the new MAC, the EEPROM byte 1F0 A5, and the label scanned into the label check.
// A cycle whose step failed, or whose debug list says that a row could not be stored or moved
// on, is run again for the module on the bench, which then gets the next number.

#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "tests/support/qt_program.h"
#include "tests/support/sim_process.h"

class WindowOperator {
 public:
  // `field` reads the value of key=... in a simulator's line.
  using FieldOf = std::string (*)(const std::string& line, const std::string& key);
  // `prefix`: the line's first three MAC bytes, which the operator types before Set & Incr.
  WindowOperator(QtProgram& program, SimProcess& bench, FieldOf field,
                 std::array<const char*, 3> prefix)
      : Program(program), Bench(bench), Field(field), Prefix(prefix) {}

  // The next step when the window is ready for it; call it on every pass of the event loop.
  void Step();

  std::vector<std::string> Made;     // the MACs of the cycles that ended well, "0A:0B:0C:..."
  std::vector<std::string> SetMacs;  // the simulator's lines of the window's SetMacRequests
  std::vector<std::string> Eeproms;  // and of its SetEepromRequests
  int Failed = 0;
  std::string Failures;  // what the failed cycles said

 private:
  enum class Phase { Search, Listed, Give, Giving, Eeprom, EepromSent, Label, Checking };
  using Clock = std::chrono::steady_clock;

  void Enter(Phase next);
  bool Waited(int seconds) const { return Clock::now() - Since > std::chrono::seconds(seconds); }
  // A line of the debug list since the cycle began that holds the text.
  bool SaidSince(const std::string& text) const;
  void Fail(const std::string& why);

  QtProgram& Program;
  SimProcess& Bench;
  FieldOf Field;
  const std::array<const char*, 3> Prefix;
  Phase Now = Phase::Search;
  Clock::time_point Since = Clock::now();
  std::size_t LinesBefore = 0;  // the debug list's length when the cycle began
  std::size_t Boxes = 0;        // message boxes before the label check
  std::string Expected;         // the MAC the module was given, as the list shows it
};
