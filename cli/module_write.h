#pragma once

#include <memory>
#include <optional>
#include <string>

#include "cli/line_record.h"
#include "cli/session.h"
#include "gateway/command_outcome.h"
#include "protocol/gateway_record.h"
#include "station/station_write.h"

// One write to a module, as every command that changes one makes it: a station's write
// (StationWrite), its row stored before it leaves with the line database, waited for step by
// step on the session's loop. Yields the commands' exit statuses.
class ModuleWrite {
 public:
  // `command` names the row's command ("set", "set-mac" ...); `line` may be null.
  ModuleWrite(Session& session, LineRecord* line, std::string command, const GatewayRecord& module);
  // The write of a number given (PoolGive), whose row is stored already.
  ModuleWrite(Session& session, LineRecord& line, StationWrite& given);

  // Says the refusal and records it; yields kNotDone.
  int Refuse(const std::string& refusal, const std::optional<MacAddress>& macAfter = {});
  // Sends the outcome's request (its row first), or refuses it; kDone once it left.
  // `macAfter`: the MAC the request gives the module.
  int Send(const CommandOutcome& outcome, const std::optional<MacAddress>& macAfter = {});
  // The status of --confirm's search, with the row moved on to Confirmed or NotConfirmed.
  int Confirmed(int status);
  // The command's exit status: kNotDone for a write that was done but whose row could not be
  // moved on, since the record then says less than what happened.
  int Finish(int status) const;

 private:
  // Runs the step on the session's loop until it called back; false when it did not in time.
  bool Await(const std::function<void(StationWrite::Done)>& step);

  Session& Run;
  LineRecord* Line;
  std::unique_ptr<StationWrite> Own;
  StationWrite& Write;
};
