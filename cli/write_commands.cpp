// The commands that change a module: set, reboot, set-mac and eeprom (assign has a file of its
// own). Each finds the module by a search first, so a request goes only to a module that
// answered on the chosen interface, and makes its request from the module's record exactly as
// the window does. With a line database, each write's row is stored before it leaves.
#include <algorithm>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/module_write.h"
#include "cli/settings_words.h"
#include "cli/write_target.h"
#include "gateway/production_commands.h"
#include "gateway/settings_commands.h"
#include "protocol/messages.h"

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
  return OnModule(
      line, target, false, [&](Session& session, LineRecord* record, const GatewayRecord& module) {
        ModuleWrite write(session, record, "set", module);
        TypedSettings typed = SettingsOfRecord(module);
        for (const std::string& word : target.Operands) {
          std::string why;
          if (ApplySettingWord(word, typed, why) == WordResult::Refused) return write.Refuse(why);
        }
        GatewayRecord changed = module;
        const CommandOutcome outcome = SetCommand(changed, typed);
        const int sent = write.Send(outcome);
        if (sent != kDone || !target.Confirm) return write.Finish(sent);
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
        return write.Finish(write.Confirmed(Confirm(
            session, target, "the module with the new settings", tookSettings, tookSettings)));
      });
}

int RebootCommand(const std::vector<std::string>& words) {
  Target target;
  CommandLine line("vellora-cli reboot", "MAC|--only");
  AddTargetOptions(line, target, false);
  if (const auto exit = ReadTarget(line, words, target)) return *exit;
  if (!target.Operands.empty())
    return BadUsage(line, "unexpected argument '" + target.Operands[0] + "'");
  return OnModule(line, target, false,
                  [](Session& session, LineRecord* record, const GatewayRecord& module) {
                    ModuleWrite write(session, record, "reboot", module);
                    return write.Finish(write.Send(RebootCommand(module)));
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
  return OnModule(
      line, target, true, [&](Session& session, LineRecord* record, const GatewayRecord& module) {
        ModuleWrite write(session, record, "set-mac", module);
        std::array<std::string, 6> typed;
        for (std::size_t i = 0; i < typed.size(); ++i)
          typed[i] = Format("%02X", (*newMac)[i]);
        const int sent =
            write.Send(SetMacCommand(module, typed, AnsweredTheSearch(session)), *newMac);
        if (sent != kDone || !target.Confirm) return write.Finish(sent);
        return write.Finish(write.Confirmed(ConfirmNewMac(session, target, module, *newMac)));
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
  return OnModule(
      line, target, false, [&](Session& session, LineRecord* record, const GatewayRecord& module) {
        ModuleWrite write(session, record, "eeprom", module);
        return write.Finish(
            write.Send(SetEepromCommand(module, target.Operands[0], target.Operands[1])));
      });
}
