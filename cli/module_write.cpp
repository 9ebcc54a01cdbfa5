#include "cli/module_write.h"

#include "cli/exit_codes.h"
#include "protocol/text_values.h"

ModuleWrite::ModuleWrite(Session& session, LineRecord* line, std::string command,
                         const GatewayRecord& module)
    : Run(session), Line(line), Command(std::move(command)), Module(module) {}

int ModuleWrite::Refuse(const std::string& refusal, const std::optional<MacAddress>& macAfter) {
  Run.Say(refusal);
  if (Row)
    Move(LineOutcome::Refused, refusal);
  else if (Line)
    Line->Refused(Command, Module, macAfter, refusal);
  return kNotDone;
}

int ModuleWrite::Send(const CommandOutcome& outcome, const std::optional<MacAddress>& macAfter) {
  if (outcome.Refused) return Refuse(outcome.Refused->Line, macAfter);
  if (Line) {
    Row = Line->Sending(Command, Module, macAfter, outcome.Request);
    if (!Row) return kNotDone;
  }
  return Deliver(outcome.Request);
}

int ModuleWrite::Deliver(std::span<const std::uint8_t> request) {
  if (!Run.Prepare(request)) {
    Move(LineOutcome::NotSent, Run.Lost() ? "the PC address " + DottedQuad(Run.Address()) +
                                                " left " + Run.Entry().InterfaceName
                                          : "the log file cannot be written");
    return kNotDone;
  }
  if (!Run.Transmit(request)) {
    Move(LineOutcome::NotSent, "the socket did not send it");
    return kNotDone;
  }
  Move(LineOutcome::Sent);
  return kDone;
}

int ModuleWrite::Confirmed(int status) {
  Move(status == kDone ? LineOutcome::Confirmed : LineOutcome::NotConfirmed);
  return status;
}

int ModuleWrite::Finish(int status) const {
  return status == kDone && RowBehind ? kNotDone : status;
}

void ModuleWrite::Move(LineOutcome outcome, const std::string& reason) {
  if (Row && Line && !Line->Move(*Row, outcome, reason)) RowBehind = true;
}
