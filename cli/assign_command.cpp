// vellora-cli assign: gives the module the next MAC of the line, its serial number from the
// counter file of this PC (--serial-file) or from the line database's pool (--line). Either way
// the number is taken for good before the request leaves, a number is never given twice, and a
// MAC that a module answers with, or that no module can use, is refused.
#include <memory>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/module_write.h"
#include "cli/record_text.h"
#include "cli/serial_counter.h"
#include "cli/write_target.h"
#include "gateway/production_commands.h"
#include "gateway/serial_number.h"

namespace {

// The request that gives the module the MAC of the prefix and the serial number, as the
// window's Set & Incr. makes it, or its refusal.
SetAndIncrOutcome GiveSerial(const GatewayRecord& module, const MacAddress& prefix,
                             std::uint64_t number, const MacUser& inUse) {
  const std::array<std::string, 3> start = {Format("%02X", prefix[0]), Format("%02X", prefix[1]),
                                            Format("%02X", prefix[2])};
  return SetAndIncrCommand(module, start, SerialNumber::FromValue(number).Pairs(), inUse);
}

MacAddress MacOfSerial(const MacAddress& prefix, std::uint32_t serial) {
  return {prefix[0],
          prefix[1],
          prefix[2],
          static_cast<std::uint8_t>(serial >> 16),
          static_cast<std::uint8_t>(serial >> 8),
          static_cast<std::uint8_t>(serial)};
}

std::uint32_t SerialOfMac(const MacAddress& mac) {
  return static_cast<std::uint32_t>(mac[3]) << 16 | static_cast<std::uint32_t>(mac[4]) << 8 |
         mac[5];
}

int AssignFromCounter(Session& session, const Target& target, const GatewayRecord& module,
                      const MacAddress& prefix, const std::string& counterPath) {
  SetAndIncrOutcome outcome;
  bool recorded = false;
  // Under the counter's lock: the number is made a request and its line is on disk in the
  // record before the next number is written back; the request leaves after that. A refused
  // number, or one the record cannot take, leaves the counter as it was.
  const auto give = [&](std::uint64_t number) -> std::optional<std::uint64_t> {
    outcome = GiveSerial(module, prefix, number, AnsweredTheSearch(session));
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
}

// A line of a failed call of the line database, which names the server.
std::string NotSent(const std::string& message, const LineRecord& line) {
  return "vellora-cli: SetMacRequest not sent: " + message +
         (message.find(line.Server()) == std::string::npos
              ? " (the line database " + line.Server() + ")"
              : "");
}

// The pool's next MAC is checked before a number is taken, so that a MAC in use or one no module
// can use is refused with the pool as it was. The number taken may still be another one (a
// station took the one checked meanwhile): its MAC is checked again when its request is made,
// inside the take, and a MAC refused then has used up its number, which its row says.
int AssignFromPool(Session& session, LineRecord& line, const Target& target,
                   const GatewayRecord& module, const MacAddress& prefix) {
  ModuleWrite write(session, &line, "assign", module);
  const MacUser inUse = AnsweredTheSearch(session);
  const MacPrefix pool = {prefix[0], prefix[1], prefix[2]};
  const LineReply<std::optional<std::uint32_t>> next = line.NextNumber(pool);
  if (!next.Ok()) {
    session.Say(NotSent(next.Message, line));
    return kNotDone;
  }
  if (next.Value) {  // else the take says that the pool is empty, or that there is none
    const SetAndIncrOutcome checked = GiveSerial(module, prefix, *next.Value, inUse);
    if (checked.Command.Refused)
      return write.Refuse(checked.Command.Refused->Line, MacOfSerial(prefix, *next.Value));
  }
  // A record that cannot be written stops the command before a number is taken.
  if (!session.NoteDurably("vellora-cli: assign takes the next number of " + PrefixText(pool) +
                           " from the line database " + line.Server() + " for " +
                           ColonMac(MacOf(module))))
    return kNotDone;

  auto made = std::make_shared<SetAndIncrOutcome>();
  TakeRequest request;
  request.Prefix = pool;
  request.Place = line.Place();
  request.Command = "assign";
  request.MacBefore = MacOf(module);
  request.Request = [made, module, prefix, inUse](const MacAddress& mac) {
    *made = GiveSerial(module, prefix, SerialOfMac(mac), inUse);
    return made->Command.Request;
  };
  const LineReply<TakenNumber> taken = line.Take(std::move(request));
  if (!taken.Ok()) {
    session.Say(NotSent(taken.Message, line));
    // A take answered, whose request was not known to be stored: its row says so if it can.
    if (taken.Value.RecordId != 0) {
      line.Move(taken.Value.RecordId, LineOutcome::NotSent,
                "the request was not known to be stored in the row, so it was not sent");
    }
    return kNotDone;
  }
  write.Adopt(taken.Value.RecordId);
  const MacAddress given = taken.Value.Mac;
  const std::string number = "the number " + std::to_string(taken.Value.Serial) + " (" +
                             ColonMac(given) + ") of " + PrefixText(pool);
  if (made->Command.Refused) {
    write.Refuse(made->Command.Refused->Line);
    session.Say("vellora-cli: " + number +
                " was taken before it was refused: it is used up and never given again");
    return write.Finish(kNotDone);
  }
  if (write.Deliver(made->Command.Request) != kDone) {
    session.Say("vellora-cli: " + number + " was taken but not sent, and is never given again");
    return write.Finish(kNotDone);
  }
  if (!session.Print(ColonMac(given))) {
    session.Say("vellora-cli: the module was given " + ColonMac(given) +
                ", but it could not be written to standard output");
    return kNotDone;
  }
  if (!target.Confirm) return write.Finish(kDone);
  return write.Finish(write.Confirmed(ConfirmNewMac(session, target, module, given)));
}

}  // namespace

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
