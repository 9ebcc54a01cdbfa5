#pragma once

// What the commands that change a module share: their options, the module they name, the
// search that finds it, the line database's record when one is named, and --confirm.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_options.h"
#include "cli/line_options.h"
#include "cli/line_record.h"
#include "gateway/new_mac_rules.h"

// The options of a command on one module.
struct Target {
  CommonOptions Common;
  bool Only = false;
  bool Confirm = false;
  double ConfirmSeconds = 10;
  LineOptions Line;
  bool LineNamed = false;  // --line or VELLORA_LINE: every write and refusal has its row
  ModuleName Name;
  std::vector<std::string> Operands;
};

void AddTargetOptions(CommandLine& line, Target& target, bool confirmable);
// Parses the command line, names the module and resolves the line database: nothing to go
// on, else the exit status.
std::optional<int> ReadTarget(CommandLine& line, const std::vector<std::string>& words,
                              Target& target);

// Runs a command on one module: starts the session (and connects to the line database while
// the search waits), finds the module, then `act` on its record; `line` is null without a
// line database. `everyModule`: the search waits for every module (a new MAC must be none of
// theirs).
using ModuleAct =
    std::function<int(Session& session, LineRecord* line, const GatewayRecord& module)>;
int OnModule(const CommandLine& line, const Target& target, bool everyModule, const ModuleAct& act);

// Searches again until what answers shows the write taken (`taken`), or the time is up. A
// search ends early once `seen` holds, and a moment later, so that a reply that comes with it
// is heard too.
int Confirm(Session& session, const Target& target, const char* expected,
            const std::function<bool(const FoundModules&)>& seen,
            const std::function<bool(const FoundModules&)>& taken);
// The confirmation of a new MAC: the module answers with it from the address it had, and
// nothing answers with the old MAC any more (else another module, or the same one under both,
// holds the number).
int ConfirmNewMac(Session& session, const Target& target, const GatewayRecord& module,
                  const MacAddress& newMac);

// Who answered the session's last search with a MAC.
MacUser AnsweredTheSearch(Session& session);
