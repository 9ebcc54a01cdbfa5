#include "cli/module_write.h"

#include "cli/exit_codes.h"

ModuleWrite::ModuleWrite(Session& session, LineRecord* line, std::string command,
                         const GatewayRecord& module)
    : Run(session),
      Line(line),
      Own(std::make_unique<StationWrite>(line ? &line->Database() : nullptr, session.Io(),
                                         line ? line->Place() : LinePlace{}, std::move(command),
                                         module)),
      Write(*Own) {}

ModuleWrite::ModuleWrite(Session& session, LineRecord& line, StationWrite& given)
    : Run(session), Line(&line), Write(given) {}

bool ModuleWrite::Await(const std::function<void(StationWrite::Done)>& step) {
  // Without a line database a step calls back at once.
  const std::chrono::milliseconds bound = Line ? Line->Bound() : std::chrono::milliseconds(0);
  return AwaitCall<bool>(Run.Loop(), step, bound).value_or(false);
}

int ModuleWrite::Refuse(const std::string& refusal, const std::optional<MacAddress>& macAfter) {
  Await([&](StationWrite::Done done) { Write.Refuse(refusal, macAfter, std::move(done)); });
  return kNotDone;
}

int ModuleWrite::Send(const CommandOutcome& outcome, const std::optional<MacAddress>& macAfter) {
  return Await([&](StationWrite::Done done) { Write.Send(outcome, macAfter, std::move(done)); })
             ? kDone
             : kNotDone;
}

int ModuleWrite::Confirmed(int status) {
  Await([&](StationWrite::Done done) { Write.Confirmed(status == kDone, std::move(done)); });
  return status;
}

int ModuleWrite::Finish(int status) const {
  return status == kDone && Write.RowBehind() ? kNotDone : status;
}
