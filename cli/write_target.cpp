#include "cli/write_target.h"

#include "cli/exit_codes.h"
#include "cli/new_mac_check.h"
#include "cli/record_text.h"

void AddTargetOptions(CommandLine& line, Target& target, bool confirmable) {
  target.Common.AddTo(line);
  line.Flag("only", target.Only, "for the one module that answers (instead of its MAC)");
  target.Line.AddTo(line);
  if (!confirmable) return;
  line.Flag("confirm", target.Confirm,
            "search again until the module answers with what was written, or the time is up")
      .Fraction("confirm-seconds", target.ConfirmSeconds, 0.1, 600,
                {"SECONDS", "how long --confirm searches (default 10)"});
}

std::optional<int> ReadTarget(CommandLine& line, const std::vector<std::string>& words,
                              Target& target) {
  if (const auto exit = ParseCommand(line, words)) return exit;
  target.Operands = line.Positional();
  std::string why;
  if (!ReadModuleName(target.Only, target.Operands, target.Name, why)) return BadUsage(line, why);
  return target.Line.ResolveIfNamed(line, target.LineNamed);
}

int OnModule(const CommandLine& line, const Target& target, bool everyModule,
             const ModuleAct& act) {
  Started started;
  if (const auto exit = Start(target.Common, line, started)) return *exit;
  Session& session = *started.Run;
  std::unique_ptr<LineRecord> record;
  if (target.LineNamed) {
    record = std::make_unique<LineRecord>(session, target.Line);
    record->Open();
  }
  const std::optional<GatewayRecord> module =
      FindModule(session, target.Name, target.Common.Wait(), everyModule);
  if (!module) return session.Finish(kNotDone);
  return session.Finish(act(session, record.get(), *module));
}

int Confirm(Session& session, const Target& target, const char* expected,
            const std::function<bool(const FoundModules&)>& seen,
            const std::function<bool(const FoundModules&)>& taken) {
  const auto deadline = PollEventLoop::Clock::now() +
                        std::chrono::milliseconds(static_cast<long>(target.ConfirmSeconds * 1000));
  constexpr std::chrono::milliseconds kWithTheOneSought{100};
  do {
    const FoundModules& answered = session.Search({target.Common.Wait(), seen, kWithTheOneSought});
    if (taken(answered)) {
      session.Say(std::string("vellora-cli: confirmed, ") + expected + " answered");
      return kDone;
    }
  } while (PollEventLoop::Clock::now() < deadline);
  session.Say(std::string("vellora-cli: not confirmed: ") + expected + " did not answer within " +
              Format("%g", target.ConfirmSeconds) + " s");
  return kNotDone;
}

int ConfirmNewMac(Session& session, const Target& target, const GatewayRecord& module,
                  const MacAddress& newMac) {
  const MacAddress oldMac = MacOf(module);
  const std::string expected = ColonMac(newMac) + " at " + DottedQuad(module.ActualIp) +
                               (oldMac == newMac ? "" : ", and no longer " + ColonMac(oldMac));
  return Confirm(
      session, target, expected.c_str(),
      [&](const FoundModules& found) { return NewMacAnswers(found, module, newMac); },
      [&](const FoundModules& found) { return NewMacTaken(found, module, newMac); });
}

MacUser AnsweredTheSearch(Session& session) {
  return [&session](const MacAddress& mac) { return session.Found().UserOf(mac); };
}
