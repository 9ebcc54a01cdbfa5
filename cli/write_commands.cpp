// The commands that change a module: set, reboot, set-mac, eeprom and assign. Each finds the
// module by a search first, so a request goes only to a module that answered on the chosen
// interface, and makes its request from the module's record exactly as the window does.
#include <cstdio>
#include <cstring>
#include <functional>

#include "cli/command_options.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/new_mac_check.h"
#include "cli/record_text.h"
#include "cli/serial_counter.h"
#include "cli/settings_words.h"
#include "gateway/production_commands.h"
#include "gateway/serial_number.h"
#include "gateway/settings_commands.h"
#include "protocol/messages.h"

namespace {

// The options of a command on one module.
struct Target {
  CommonOptions Common;
  bool Only = false;
  bool Confirm = false;
  double ConfirmSeconds = 10;
  ModuleName Name;
  std::vector<std::string> Operands;
};

void AddTargetOptions(CommandLine& line, Target& target, bool confirmable) {
  target.Common.AddTo(line);
  line.Flag("only", target.Only, "for the one module that answers (instead of its MAC)");
  if (!confirmable) return;
  line.Flag("confirm", target.Confirm,
            "search again until the module answers with what was written, or the time is up")
      .Fraction("confirm-seconds", target.ConfirmSeconds, 0.1, 600,
                {"SECONDS", "how long --confirm searches (default 10)"});
}

// Parses the command line and names the module: nothing to go on, else the exit status.
std::optional<int> ReadTarget(CommandLine& line, const std::vector<std::string>& words,
                              Target& target) {
  if (const auto exit = ParseCommand(line, words)) return exit;
  target.Operands = line.Positional();
  std::string why;
  if (!ReadModuleName(target.Only, target.Operands, target.Name, why)) return BadUsage(line, why);
  return std::nullopt;
}

// Sends the request, or says why the command sent nothing.
int Send(Session& session, const CommandOutcome& outcome) {
  if (outcome.Refused) {
    session.Say(outcome.Refused->Line);
    return kNotDone;
  }
  return session.Send(outcome.Request) ? kDone : kNotDone;
}

// Searches again until what answers shows the write taken (`taken`), or the time is up. A
// search ends early once `seen` holds, and a moment later, so that a reply that comes with it
// is heard too.
int Confirm(Session& session, const Target& target, const char* expected,
            const std::function<bool(const FoundModules&)>& seen,
            const std::function<bool(const FoundModules&)>& taken) {
  const auto deadline = PollEventLoop::Clock::now() +
                        std::chrono::milliseconds(static_cast<long>(target.ConfirmSeconds * 1000));
  constexpr std::chrono::milliseconds kWithTheOneSought{100};
  do {
    const FoundModules& answered =
        session.Search({target.Common.Wait(), seen, kWithTheOneSought});
    if (taken(answered)) {
      session.Say(std::string("vellora-cli: confirmed, ") + expected + " answered");
      return kDone;
    }
  } while (PollEventLoop::Clock::now() < deadline);
  session.Say(std::string("vellora-cli: not confirmed: ") + expected + " did not answer within " +
              Format("%g", target.ConfirmSeconds) + " s");
  return kNotDone;
}

// The confirmation of a new MAC: the module answers with it from the address it had, and
// nothing answers with the old MAC any more (else another module, or the same one under both,
// holds the number).
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

// Runs a command on one module: finds it, then `act` on its record.
int OnModule(const CommandLine& line, const Target& target, bool everyModule,
             const std::function<int(Session&, const GatewayRecord&)>& act) {
  Started started;
  if (const auto exit = Start(target.Common, line, started)) return *exit;
  Session& session = *started.Run;
  const std::optional<GatewayRecord> module =
      FindModule(session, target.Name, target.Common.Wait(), everyModule);
  if (!module) return session.Finish(kNotDone);
  return session.Finish(act(session, *module));
}

MacUser AnsweredTheSearch(Session& session) {
  return [&session](const MacAddress& mac) { return session.Found().UserOf(mac); };
}

}  // namespace

int SetCommandLine(const std::vector<std::string>& words) {
  Target target;
  CommandLine line("vellora-cli set", "MAC|--only key=value...");
  AddTargetOptions(line, target, true);
  if (const auto exit = ReadTarget(line, words, target)) return *exit;
  if (target.Operands.empty()) return BadUsage(line, "name the settings to change: key=value");
  // The words are checked before anything is sent; the values, against the record.
  TypedSettings checked;
  for (const std::string& word : target.Operands) {
    std::string why;
    if (ApplySettingWord(word, checked, why) == WordResult::BadUsage) return BadUsage(line, why);
  }
  return OnModule(line, target, false, [&](Session& session, const GatewayRecord& module) {
    TypedSettings typed = SettingsOfRecord(module);
    for (const std::string& word : target.Operands) {
      std::string why;
      if (ApplySettingWord(word, typed, why) == WordResult::Refused) {
        session.Say(why);
        return kNotDone;
      }
    }
    GatewayRecord changed = module;
    const CommandOutcome outcome = SetCommand(changed, typed);
    const int sent = Send(session, outcome);
    if (sent != kDone || !target.Confirm) return sent;
    // A module may report a flag that is on as any number but 0.
    const auto tookSettings = [&](const FoundModules& found) {
      const GatewayRecord* seen = found.Find(MacOf(module));
      if (seen == nullptr) return false;
      GatewayRecord flags = *seen;
      flags.UseDhcp = flags.UseDhcp != 0 ? 1 : 0;
      flags.UseProxy = flags.UseProxy != 0 ? 1 : 0;
      const auto now = BuildSetConfigRequest(flags);
      return std::equal(now.begin(), now.end(), outcome.Request.begin(), outcome.Request.end());
    };
    return Confirm(session, target, "the module with the new settings", tookSettings,
                   tookSettings);
  });
}

int RebootCommand(const std::vector<std::string>& words) {
  Target target;
  CommandLine line("vellora-cli reboot", "MAC|--only");
  AddTargetOptions(line, target, false);
  if (const auto exit = ReadTarget(line, words, target)) return *exit;
  if (!target.Operands.empty())
    return BadUsage(line, "unexpected argument '" + target.Operands[0] + "'");
  return OnModule(line, target, false, [](Session& session, const GatewayRecord& module) {
    return Send(session, RebootCommand(module));
  });
}

int SetMacCommandLine(const std::vector<std::string>& words) {
  Target target;
  CommandLine line("vellora-cli set-mac", "MAC|--only NEWMAC");
  AddTargetOptions(line, target, true);
  if (const auto exit = ReadTarget(line, words, target)) return *exit;
  const std::optional<MacAddress> newMac =
      target.Operands.size() == 1 ? ParseMac(target.Operands[0]) : std::nullopt;
  if (!newMac) return BadUsage(line, "give the new MAC, one MAC address");
  // Every module must have answered: the new MAC must be none of theirs.
  return OnModule(line, target, true, [&](Session& session, const GatewayRecord& module) {
    std::array<std::string, 6> typed;
    for (std::size_t i = 0; i < typed.size(); ++i)
      typed[i] = Format("%02X", (*newMac)[i]);
    const int sent = Send(session, SetMacCommand(module, typed, AnsweredTheSearch(session)));
    if (sent != kDone || !target.Confirm) return sent;
    return ConfirmNewMac(session, target, module, *newMac);
  });
}

int EepromCommand(const std::vector<std::string>& words) {
  Target target;
  CommandLine line("vellora-cli eeprom", "MAC|--only ADDRESS VALUE");
  AddTargetOptions(line, target, false);
  if (const auto exit = ReadTarget(line, words, target)) return *exit;
  // As many hexadecimal digits as the window's fields take: three for the cell, two for the byte.
  const auto hex = [](const std::string& text, std::size_t most) {
    return !text.empty() && text.size() <= most &&
           std::all_of(text.begin(), text.end(), [](char c) { return HexDigitValue(c) >= 0; });
  };
  if (target.Operands.size() != 2 || !hex(target.Operands[0], 3) || !hex(target.Operands[1], 2))
    return BadUsage(line,
                    "give the cell's address (1 to 3 hexadecimal digits) and the value (1 "
                    "or 2)");
  return OnModule(line, target, false, [&](Session& session, const GatewayRecord& module) {
    return Send(session, SetEepromCommand(module, target.Operands[0], target.Operands[1]));
  });
}

int AssignCommand(const std::vector<std::string>& words) {
  Target target;
  MacAddress prefix{};
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
                prefix = *mac;
                return true;
              },
              {"AA:BB:CC", "the first three bytes of the new MAC"})
      .Text("serial-file", counterPath, 4096,
            {"FILE", "the line's running serial number: the next module's, in decimal"});
  if (const auto exit = ReadTarget(line, words, target)) return *exit;
  if (!target.Operands.empty())
    return BadUsage(line, "unexpected argument '" + target.Operands[0] + "'");
  if (!line.Given("prefix") || counterPath.empty())
    return BadUsage(line, "give --prefix and --serial-file");
  if (const auto refused = RefuseOptionLikePath(line, "serial-file", counterPath)) return *refused;

  // Every module must have answered: the new MAC must be none of theirs.
  return OnModule(line, target, true, [&](Session& session, const GatewayRecord& module) {
    const std::array<std::string, 3> start = {Format("%02X", prefix[0]), Format("%02X", prefix[1]),
                                              Format("%02X", prefix[2])};
    SetAndIncrOutcome outcome;
    bool recorded = false;
    // Under the counter's lock: the number is made a request and its line is on disk in the
    // record before the next number is written back; the request leaves after that. A refused
    // number, or one the record cannot take, leaves the counter as it was.
    const auto give = [&](std::uint64_t number) -> std::optional<std::uint64_t> {
      outcome = SetAndIncrCommand(module, start, SerialNumber::FromValue(number).Pairs(),
                                  AnsweredTheSearch(session));
      if (outcome.Command.Refused || !session.Prepare(outcome.Command.Request)) return std::nullopt;
      recorded = true;
      return number + 1;
    };
    std::string error;
    if (!SerialCounter(counterPath).Advance(give, error)) {
      session.Say("vellora-cli: " + error + (recorded ? "; the request was not sent" : ""));
      return kNotDone;
    }
    if (outcome.Command.Refused) {
      session.Say(outcome.Command.Refused->Line);
      return kNotDone;
    }
    if (!recorded) return kNotDone;  // the session said why
    const MacAddress given = NewMacOf(outcome.Command.Request);
    if (!session.Transmit(outcome.Command.Request)) {
      session.Say("vellora-cli: " + ColonMac(given) + " was taken from the counter but not sent");
      return kNotDone;
    }
    if (!session.Print(ColonMac(given))) {
      // A script keeps the MAC from stdout: without it the module's MAC is lost to the line.
      session.Say("vellora-cli: the module was given " + ColonMac(given) +
                  ", but it could not be written to standard output");
      return kNotDone;
    }
    if (!target.Confirm) return kDone;
    return ConfirmNewMac(session, target, module, given);
  });
}
