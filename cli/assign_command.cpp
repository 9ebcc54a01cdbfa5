// vellora-cli assign: gives the module the next MAC of the line, its serial number from the
// counter file of this PC (--serial-file) or from the line database's pool (--line). Either way
// the number is taken for good before the request leaves, a number is never given twice, and a
// MAC that a module answers with, or that no module can use, is refused.
#include <algorithm>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/module_write.h"
#include "cli/write_target.h"
#include "gateway/production_commands.h"
#include "platform/posix/serial_counter.h"
#include "station/counter_give.h"
#include "station/pool_give.h"

namespace {

// The MAC given, for the script that keeps it from stdout: without it the module's MAC is lost
// to the line.
bool PrintGiven(Session& session, const MacAddress& given) {
  if (session.Print(ColonMac(given))) return true;
  session.Say("vellora-cli: the module was given " + ColonMac(given) +
              ", but it could not be written to standard output");
  return false;
}

int AssignFromCounter(Session& session, const Target& target, const GatewayRecord& module,
                      const MacStart& prefix, const std::string& counterPath) {
  SerialCounter counter(counterPath);
  const GivenNumber given =
      GiveFromCounter(counter, session.Io(), module, prefix, AnsweredTheSearch(session));
  if (given.Outcome != GivenNumber::End::Sent || !PrintGiven(session, given.Mac)) return kNotDone;
  if (!target.Confirm) return kDone;
  return ConfirmNewMac(session, target, module, given.Mac);
}

int AssignFromPool(Session& session, LineRecord& line, const Target& target,
                   const GatewayRecord& module, const MacStart& prefix) {
  PoolGive give(line.Database(), session.Io(), line.Place(), "assign", module, prefix,
                AnsweredTheSearch(session));
  // A give is a few statements, each within the database's timeouts.
  const std::optional<GivenNumber> given = AwaitCall<GivenNumber>(
      session.Loop(), [&](PoolGive::Done done) { give.Start(std::move(done)); }, 2 * line.Bound());
  if (!given) {
    session.Say("vellora-cli: the line database " + line.Server() + " did not answer in time");
    return kNotDone;
  }
  ModuleWrite write(session, line, give.Write());
  if (given->Outcome != GivenNumber::End::Sent) return write.Finish(kNotDone);
  if (!PrintGiven(session, given->Mac)) return kNotDone;
  if (!target.Confirm) return write.Finish(kDone);
  return write.Finish(write.Confirmed(ConfirmNewMac(session, target, module, given->Mac)));
}

}  // namespace

int AssignCommand(const std::vector<std::string>& words) {
  Target target;
  MacStart prefix{};
  std::string counterPath;
  CommandLine line("vellora-cli assign", "MAC|--only");
  AddTargetOptions(line, target, true);
  line.Custom("prefix",
              [&prefix](std::string_view value, std::string& why) {
                const std::optional<MacAddress> mac = ParseMac(std::string(value) + ":00:00:01");
                if (!mac) {
                  why = "not three MAC bytes";
                  return false;
                }
                if (const auto unusable = UnusableMacReason(*mac)) {
                  why = "its MACs would be " + *unusable + ": no module can use them";
                  return false;
                }
                std::copy_n(mac->begin(), prefix.size(), prefix.begin());
                return true;
              },
              {"AA:BB:CC", "the first three bytes of the new MAC"})
      .Text("serial-file", counterPath, 4096,
            {"FILE",
             "the running serial number of this PC's stations: the next module's, in\n"
             "decimal (instead of the line database's pool)"});
  if (const auto exit = ReadTarget(line, words, target)) return *exit;
  if (!target.Operands.empty())
    return BadUsage(line, "unexpected argument '" + target.Operands[0] + "'");
  if (!line.Given("prefix")) return BadUsage(line, "give --prefix, the first three MAC bytes");
  // One source of numbers: a counter file beside a line database would give MACs the pool
  // gives too.
  if (!counterPath.empty() && target.LineNamed) {
    return BadUsage(line, std::string("give --serial-file or --line, not both") +
                              (line.Given("line") ? "" : " (VELLORA_LINE names a line database)"));
  }
  if (counterPath.empty() && !target.LineNamed)
    return BadUsage(line, "give --serial-file FILE, or --line CONNINFO (or set VELLORA_LINE)");
  if (const auto refused = RefuseOptionLikePath(line, "serial-file", counterPath)) return *refused;

  // Every module must have answered: the new MAC must be none of theirs.
  return OnModule(line, target, true,
                  [&](Session& session, LineRecord* record, const GatewayRecord& module) {
                    if (record) return AssignFromPool(session, *record, target, module, prefix);
                    return AssignFromCounter(session, target, module, prefix, counterPath);
                  });
}
