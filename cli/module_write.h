#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "cli/line_record.h"
#include "cli/session.h"
#include "gateway/command_outcome.h"
#include "protocol/gateway_record.h"

// One write to a module, as every command that changes one makes it. A refusal is said, and
// recorded with the line database. A request leaves only once its row (with the line database)
// and its line (with --log) are stored, in that order; its row is then moved on to what became
// of it. Without a line database, exactly what the session does alone.
class ModuleWrite {
 public:
  // `command` names the row's command ("set", "set-mac" ...); `line` may be null.
  ModuleWrite(Session& session, LineRecord* line, std::string command, const GatewayRecord& module);

  // Says the refusal and records it (with the row the write has, moved on to Refused);
  // yields kNotDone.
  int Refuse(const std::string& refusal, const std::optional<MacAddress>& macAfter = {});
  // Sends the outcome's request (its row first), or refuses it; kDone once it left.
  // `macAfter`: the MAC the request gives the module.
  int Send(const CommandOutcome& outcome, const std::optional<MacAddress>& macAfter = {});
  // A write whose row is stored already (a number taken with its request): from now on this
  // write moves that row.
  void Adopt(std::int64_t row) { Row = row; }
  // Sends a request whose row is stored (Adopt), or that has none; kDone once it left.
  int Deliver(std::span<const std::uint8_t> request);
  // The status of --confirm's search, with the row moved on to Confirmed or NotConfirmed.
  int Confirmed(int status);
  // The command's exit status: kNotDone for a write that was done but whose row could not be
  // moved on, since the record then says less than what happened.
  int Finish(int status) const;

 private:
  void Move(LineOutcome outcome, const std::string& reason = {});

  Session& Run;
  LineRecord* Line;
  const std::string Command;
  const GatewayRecord& Module;
  std::optional<std::int64_t> Row;
  bool RowBehind = false;  // a move of the row failed
};
