#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "gateway/command_outcome.h"
#include "line/line_database.h"
#include "protocol/gateway_record.h"
#include "station/station_io.h"

// One write to a module by a station, the window's or vellora-cli's, with its row in the line
// database. A request leaves only once its row (with a line database) and its line (with a
// record) are stored, in that order; its row is then moved on to what became of it. A refusal is
// said, and recorded with a line database. Without a line database, exactly the program's own
// record and send.
//
// Each call answers once through its callback, from the event loop when the line database is
// asked (at once otherwise). A callback never comes after the write is gone.
class StationWrite {
 public:
  // true: the request left (Send, Deliver) or the row moved on (Confirmed).
  using Done = std::function<void(bool done)>;

  // `line` may be null. `command` names the row's command ("set", "set-mac", "assign" ...).
  StationWrite(LineDatabase* line, StationIo io, LinePlace place, std::string command,
               const GatewayRecord& module);
  StationWrite(const StationWrite&) = delete;
  StationWrite& operator=(const StationWrite&) = delete;

  // Says the refusal and records it: the write's row, when it has one, moves on to Refused; else
  // a row "refused" is written, with the MAC the write would have given. Calls back false.
  void Refuse(const std::string& refusal, const std::optional<MacAddress>& macAfter, Done done);
  // Sends the outcome's request once its row is stored, or refuses it. `macAfter`: the MAC the
  // request gives the module.
  void Send(const CommandOutcome& outcome, const std::optional<MacAddress>& macAfter, Done done);
  // A write whose row is stored already (a number taken with its request): from now on this
  // write moves that row.
  void Adopt(std::int64_t row) { Row = row; }
  // Sends a request whose row is stored (Adopt), or that has none; the row moves on to "sent"
  // or "not sent", with the reason.
  void Deliver(std::vector<std::uint8_t> request, Done done);
  // A request that will not leave: the row moves on to "not sent", with the reason.
  void NotSent(const std::string& reason, Done done);
  // Moves the row on to Confirmed or NotConfirmed; calls back `confirmed`.
  void Confirmed(bool confirmed, Done done);
  // A move of the row failed (said): the record says less than what happened.
  bool RowBehind() const { return Behind; }
  // Whether the last call has called back.
  bool Finished() const { return !Waiting; }

  // A label check's row: the label as read, the MAC that answered (if one is known) and the
  // result; calls back false, having said so, when it could not be stored.
  static void StoreLabelCheck(LineDatabase& line, const StationIo& io, const LinePlace& place,
                              const std::string& label, const std::optional<MacAddress>& found,
                              bool ok, const std::string& reason, Done done);

 private:
  RecordRow RowOf(LineOutcome outcome, const std::optional<MacAddress>& macAfter) const;
  // Moves the row on, then `then`; a row that cannot move is said.
  void Move(LineOutcome outcome, const std::string& reason, std::function<void()> then);
  // Calls back, once, and marks the write finished.
  void End(const Done& done, bool ok);
  // Guards a callback of the line database: it does nothing once the write is gone.
  template <class F>
  auto Guarded(F call);

  LineDatabase* Line;
  const StationIo Io;
  const LinePlace Place;
  const std::string Command;
  const GatewayRecord Module;
  std::optional<std::int64_t> Row;
  bool Behind = false;
  bool Waiting = false;
  std::shared_ptr<char> Alive = std::make_shared<char>();
};

// "SetMacRequest", the request's name in lines; "the request" when it has none.
std::string RequestName(std::span<const std::uint8_t> request);
