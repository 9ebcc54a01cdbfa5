#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gateway/production_commands.h"
#include "line/line_database.h"
#include "platform/counter_file.h"
#include "platform/event_loop.h"
#include "station/given_number.h"
#include "station/pool_give.h"
#include "station/station_write.h"

// The window as a station of a production line: where Set && Incr. takes its serial numbers,
// the counter file of the PC (--serial-file) or the line database's pool for the prefix
// (--line), and, with the line database, the rows of the window's writes and label checks.
// The window never waits on the database: every call answers through its callback, from the
// event loop; the counter file is read and replaced at once, under its lock. The connection
// is made at start and made again by itself after a loss (LineConnection's pauses: a quarter
// of a second at first, doubling up to five seconds).
class WindowStation {
 public:
  using Lines = std::function<void(const std::string& line)>;
  using NextShown = std::function<void(std::optional<std::uint64_t> next, const std::string& why)>;

  // Numbers from the counter file; writes without rows.
  explicit WindowStation(TCounterFile& counter);
  // Numbers from the pools of the line database; every write with its row, from `station`.
  WindowStation(TEventLoop& loop, const std::string& conninfo, std::string station,
                LineTimeouts timeouts = {});

  // Starts connecting to the line database; `told` hears, as one line each, when the
  // connection is lost or cannot be made (once, until it is back) and when it is made.
  void Open(Lines told);
  // Whether the writes have rows (the line database).
  bool Recording() const { return Line != nullptr; }
  // Where the numbers come from, as the serial edits' tool tip says it.
  std::string SourceText() const;
  // Where the rows come from: this station, on the interface and from the PC address.
  LinePlace Place(const std::string& interfaceName, const std::string& pcAddress) const;

  // A give is under way: its number is being taken, or its row stored.
  bool Giving() const { return CurrentGive && !CurrentGive->Finished(); }
  // Gives the module the next MAC of the prefix, and calls back once (at once from the
  // counter file). Not while Giving.
  void Give(const GatewayRecord& module, const MacStart& prefix, MacUser inUse, const StationIo& io,
            const LinePlace& place, std::function<void(const GivenNumber& given)> done);
  // The number the source gives next for the prefix, as it stands now (another station may
  // take it first): nothing, with why, when there is none or it cannot be read; at once from
  // the counter file. The database is not asked while it is not reached (nothing, at once),
  // nor while it answers an earlier Next (no call back).
  // Nothing for the prefix: its three bytes are not all typed.
  void Next(const std::optional<MacStart>& prefix, NextShown shown);

  // With the line database: a write with its row (see StationWrite::Send).
  void Write(std::string command, const GatewayRecord& module, const CommandOutcome& outcome,
             const std::optional<MacAddress>& macAfter, const StationIo& io, const LinePlace& place,
             StationWrite::Done done);
  // With the line database: a label check's row; `done` hears whether it was stored.
  void LabelChecked(const std::string& label, const std::optional<MacAddress>& found, bool ok,
                    const std::string& reason, const StationIo& io, const LinePlace& place,
                    StationWrite::Done done);

 private:
  TCounterFile* Counter = nullptr;
  std::unique_ptr<LineDatabase> Line;
  std::string Name;
  std::unique_ptr<PoolGive> CurrentGive;
  std::vector<std::unique_ptr<StationWrite>> Writes;
  bool Asking = false;  // a Next is waiting for the database
};
