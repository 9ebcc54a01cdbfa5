#include "cli/line_record.h"

#include "protocol/messages.h"
#include "protocol/text_values.h"
#include "udp/found_modules.h"

LineRecord::LineRecord(Session& session, const LineOptions& options)
    : Run(session), Station(options.Station), Database(session.Loop(), options.Conninfo) {}

LinePlace LineRecord::Place() const {
  return {Station, Run.Entry().InterfaceName, DottedQuad(Run.Address())};
}

template <class T>
LineReply<T> LineRecord::Await(const std::function<void(LineDatabase::Callback<T>)>& call) {
  return AwaitLine<T>(Run.Loop(), call, LineBound(Database.Connection().Timeouts()));
}

std::optional<std::int64_t> LineRecord::Sending(const std::string& command,
                                                const GatewayRecord& module,
                                                const std::optional<MacAddress>& macAfter,
                                                std::span<const std::uint8_t> request) {
  RecordRow row;
  row.Place = Place();
  row.Command = command;
  row.MacBefore = MacOf(module);
  row.MacAfter = macAfter;
  row.Request.assign(request.begin(), request.end());
  row.Outcome = LineOutcome::Sending;
  const LineReply<std::int64_t> added = Await<std::int64_t>(
      [&](LineDatabase::Callback<std::int64_t> done) { Database.AddRecord(row, std::move(done)); });
  if (added.Ok()) return added.Value;
  Run.Say(std::string("vellora-cli: ") +
          (request.size() > 1 ? GatewayCommandName(request[1]) : "the request") +
          " not sent: " + added.Message);
  return std::nullopt;
}

void LineRecord::Refused(const std::string& command, const GatewayRecord& module,
                         const std::optional<MacAddress>& macAfter, const std::string& reason) {
  RecordRow row;
  row.Place = Place();
  row.Command = command;
  row.MacBefore = MacOf(module);
  row.MacAfter = macAfter;
  row.Outcome = LineOutcome::Refused;
  row.Reason = reason;
  const LineReply<std::int64_t> added = Await<std::int64_t>(
      [&](LineDatabase::Callback<std::int64_t> done) { Database.AddRecord(row, std::move(done)); });
  if (!added.Ok())
    Run.Say("vellora-cli: the refusal is not in the line database: " + added.Message);
}

bool LineRecord::Move(std::int64_t row, LineOutcome outcome, const std::string& reason) {
  const LineReply<LineDatabase::Nothing> moved =
      Await<LineDatabase::Nothing>([&](LineDatabase::Callback<LineDatabase::Nothing> done) {
        Database.SetOutcome(row, outcome, reason, std::move(done));
      });
  if (moved.Ok()) return true;
  Run.Say("vellora-cli: the row " + std::to_string(row) +
          " of the line database could not be set to \"" + OutcomeText(outcome) +
          "\": " + moved.Message);
  return false;
}

bool LineRecord::LabelChecked(const std::string& label, const std::optional<MacAddress>& found,
                              bool ok, const std::string& reason) {
  RecordRow row;
  row.Place = Place();
  row.Command = "verify";
  row.Outcome = ok ? LineOutcome::LabelOk : LineOutcome::LabelWrong;
  row.Reason = reason;
  row.Label = label;
  row.MacFound = found;
  const LineReply<std::int64_t> added = Await<std::int64_t>(
      [&](LineDatabase::Callback<std::int64_t> done) { Database.AddRecord(row, std::move(done)); });
  if (added.Ok()) return true;
  Run.Say("vellora-cli: the label check is not in the line database: " + added.Message);
  return false;
}

LineReply<std::optional<std::uint32_t>> LineRecord::NextNumber(const MacPrefix& prefix) {
  return Await<std::optional<std::uint32_t>>(
      [&](LineDatabase::Callback<std::optional<std::uint32_t>> done) {
        Database.NextNumber(prefix, std::move(done));
      });
}

LineReply<TakenNumber> LineRecord::Take(TakeRequest request) {
  return Await<TakenNumber>([&](LineDatabase::Callback<TakenNumber> done) {
    Database.TakeNumber(std::move(request), std::move(done));
  });
}
