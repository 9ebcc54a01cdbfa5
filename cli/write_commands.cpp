// The commands that change a module: set, reboot, set-mac, eeprom and assign. Each finds the
// module by a search first, so a request goes only to a module that answered on the chosen
// interface, and makes its request from the module's record exactly as the window does.
#include <cstdio>
#include <cstring>
#include <functional>

#include "cli/command_options.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"
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

// Searches again until a module answers as it should after the write, or the time is up.
int Confirm(Session& session, const Target& target, const char* expected,
            const std::function<bool(const GatewayRecord&)>& answersWell) {
  const auto deadline = PollEventLoop::Clock::now() +
                        std::chrono::milliseconds(static_cast<long>(target.ConfirmSeconds * 1000));
  do {
    const GatewayList& answered = session.Search(target.Common.Wait(), answersWell);
    for (int i = 0; i < answered.Count(); ++i) {
      if (answersWell(answered.At(i))) {
        session.Say("vellora-cli: confirmed " + RecordLine(answered.At(i)));
        return kDone;
      }
    }
  } while (PollEventLoop::Clock::now() < deadline);
  session.Say(std::string("vellora-cli: the module did not answer with ") + expected + " within " +
              Format("%g", target.ConfirmSeconds) + " s");
  return kNotDone;
}

// The command's status once the record is in: a record that misses lines fails the command.
int Finished(Session& session, int status) {
  if (!session.RecordFailed()) return status;
  std::fprintf(stderr, "vellora-cli: the log file could not be written; it misses lines\n");
  return kNotDone;
}

bool SameMac(const GatewayRecord& record, const MacAddress& mac) {
  return std::memcmp(record.Mac, mac.data(), mac.size()) == 0;
}

// Runs a command on one module: finds it, then `act` on its record.
int OnModule(const CommandLine& line, const Target& target,
             const std::function<int(Session&, const GatewayRecord&)>& act) {
  Started started;
  if (const auto exit = Start(target.Common, line, started)) return *exit;
  const std::optional<GatewayRecord> module =
      FindModule(*started.Run, target.Name, target.Common.Wait());
  if (!module) return kNotDone;
  return Finished(*started.Run, act(*started.Run, *module));
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
  return OnModule(line, target, [&](Session& session, const GatewayRecord& module) {
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
    return Confirm(session, target, "the new settings", [&](const GatewayRecord& seen) {
      const auto now = BuildSetConfigRequest(seen);
      return std::equal(now.begin(), now.end(), outcome.Request.begin(), outcome.Request.end());
    });
  });
}

int RebootCommand(const std::vector<std::string>& words) {
  Target target;
  CommandLine line("vellora-cli reboot", "MAC|--only");
  AddTargetOptions(line, target, false);
  if (const auto exit = ReadTarget(line, words, target)) return *exit;
  if (!target.Operands.empty())
    return BadUsage(line, "unexpected argument '" + target.Operands[0] + "'");
  return OnModule(line, target, [](Session& session, const GatewayRecord& module) {
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
  return OnModule(line, target, [&](Session& session, const GatewayRecord& module) {
    std::array<std::string, 6> typed;
    for (std::size_t i = 0; i < typed.size(); ++i)
      typed[i] = Format("%02X", (*newMac)[i]);
    const int sent = Send(session, SetMacCommand(module, typed));
    if (sent != kDone || !target.Confirm) return sent;
    return Confirm(session, target, "its new MAC",
                   [&](const GatewayRecord& seen) { return SameMac(seen, *newMac); });
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
  return OnModule(line, target, [&](Session& session, const GatewayRecord& module) {
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
                const std::optional<MacAddress> mac = ParseMac(std::string(value) + ":00:00:00");
                if (mac) prefix = *mac;
                why = "not three MAC bytes";
                return mac.has_value();
              },
              {"AA:BB:CC", "the first three bytes of the new MAC"})
      .Text("serial-file", counterPath, 4096,
            {"FILE", "the line's running serial number: the next module's, in decimal"});
  if (const auto exit = ReadTarget(line, words, target)) return *exit;
  if (!target.Operands.empty())
    return BadUsage(line, "unexpected argument '" + target.Operands[0] + "'");
  if (!line.Given("prefix") || counterPath.empty())
    return BadUsage(line, "give --prefix and --serial-file");

  return OnModule(line, target, [&](Session& session, const GatewayRecord& module) {
    const std::array<std::string, 3> start = {Format("%02X", prefix[0]), Format("%02X", prefix[1]),
                                              Format("%02X", prefix[2])};
    SetAndIncrOutcome outcome;
    std::string error;
    // The file's number is given and the next one written back under the lock, before the
    // request leaves; a refused number leaves the file as it was.
    const auto give = [&](std::uint64_t number) -> std::optional<std::uint64_t> {
      outcome = SetAndIncrCommand(module, start, SerialNumber::FromValue(number).Pairs());
      if (outcome.Command.Refused) return std::nullopt;
      return number + 1;
    };
    const bool counted = SerialCounter(counterPath).Advance(give, error);
    if (!counted) {
      session.Say("vellora-cli: " + error);
      return kNotDone;
    }
    const int sent = Send(session, outcome.Command);
    if (sent != kDone) return sent;
    MacAddress given{};
    std::memcpy(given.data(), outcome.Command.Request.data() + kHeaderLength, given.size());
    std::printf("%s\n", ColonMac(given).c_str());
    if (!target.Confirm) return sent;
    return Confirm(session, target, "its new MAC",
                   [&](const GatewayRecord& seen) { return SameMac(seen, given); });
  });
}
