#include "station/station_write.h"

#include "protocol/messages.h"
#include "protocol/text_values.h"

std::string RequestName(std::span<const std::uint8_t> request) {
  return request.size() > 1 ? GatewayCommandName(request[1]) : "the request";
}

StationWrite::StationWrite(LineDatabase* line, StationIo io, LinePlace place, std::string command,
                           const GatewayRecord& module)
    : Line(line),
      Io(std::move(io)),
      Place(std::move(place)),
      Command(std::move(command)),
      Module(module) {}

template <class F>
auto StationWrite::Guarded(F call) {
  return [alive = std::weak_ptr<char>(Alive), call = std::move(call)](const auto& reply) {
    if (!alive.expired()) call(reply);
  };
}

RecordRow StationWrite::RowOf(LineOutcome outcome,
                              const std::optional<MacAddress>& macAfter) const {
  RecordRow row;
  row.Place = Place;
  row.Command = Command;
  row.MacBefore = MacOf(Module);
  row.MacAfter = macAfter;
  row.Outcome = outcome;
  return row;
}

void StationWrite::End(const Done& done, bool ok) {
  Waiting = false;
  if (done) done(ok);
}

void StationWrite::Refuse(const std::string& refusal, const std::optional<MacAddress>& macAfter,
                          Done done) {
  Waiting = true;
  Io.Say(refusal);
  if (Row) return Move(LineOutcome::Refused, refusal, [this, done] { End(done, false); });
  if (!Line) return End(done, false);
  RecordRow row = RowOf(LineOutcome::Refused, macAfter);
  row.Reason = refusal;
  Line->AddRecord(
      row, Guarded([this, done](const LineReply<std::int64_t>& added) {
        if (!added.Ok())
          Io.Say(Io.Speaker + ": the refusal is not in the line database: " + added.Message);
        End(done, false);
      }));
}

void StationWrite::Send(const CommandOutcome& outcome, const std::optional<MacAddress>& macAfter,
                        Done done) {
  if (outcome.Refused) return Refuse(outcome.Refused->Line, macAfter, std::move(done));
  if (!Line) return Deliver(outcome.Request, std::move(done));
  Waiting = true;
  RecordRow row = RowOf(LineOutcome::Sending, macAfter);
  row.Request = outcome.Request;
  Line->AddRecord(
      row, Guarded([this, request = outcome.Request, done](const LineReply<std::int64_t>& added) {
        if (!added.Ok()) {
          Io.Say(Io.Speaker + ": " + RequestName(request) + " not sent: " + added.Message);
          return End(done, false);
        }
        Row = added.Value;
        Deliver(request, done);
      }));
}

void StationWrite::Deliver(std::vector<std::uint8_t> request, Done done) {
  Waiting = true;
  std::optional<std::string> notSent = Io.Record(request);
  if (!notSent) notSent = Io.Transmit(request);
  if (notSent) return Move(LineOutcome::NotSent, *notSent, [this, done] { End(done, false); });
  Move(LineOutcome::Sent, {}, [this, done] { End(done, true); });
}

void StationWrite::NotSent(const std::string& reason, Done done) {
  Waiting = true;
  Move(LineOutcome::NotSent, reason, [this, done] { End(done, false); });
}

void StationWrite::Confirmed(bool confirmed, Done done) {
  Waiting = true;
  Move(confirmed ? LineOutcome::Confirmed : LineOutcome::NotConfirmed, {},
       [this, done, confirmed] { End(done, confirmed); });
}

void StationWrite::Move(LineOutcome outcome, const std::string& reason,
                        std::function<void()> then) {
  if (!Row || !Line) return then();
  const std::int64_t row = *Row;
  Line->SetOutcome(
      row, outcome, reason,
      Guarded([this, row, outcome, then](const LineReply<LineDatabase::Nothing>& moved) {
        if (!moved.Ok()) {
          Io.Say(Io.Speaker + ": the row " + std::to_string(row) +
                 " of the line database could not be set to \"" + OutcomeText(outcome) +
                 "\": " + moved.Message);
          Behind = true;
        }
        then();
      }));
}

void StationWrite::StoreLabelCheck(LineDatabase& line, const StationIo& io, const LinePlace& place,
                                   const std::string& label, const std::optional<MacAddress>& found,
                                   bool ok, const std::string& reason, Done done) {
  RecordRow row;
  row.Place = place;
  row.Command = "verify";
  row.Outcome = ok ? LineOutcome::LabelOk : LineOutcome::LabelWrong;
  row.Reason = reason;
  row.Label = label;
  row.MacFound = found;
  line.AddRecord(
      row, [say = io.Say, speaker = io.Speaker, done](const LineReply<std::int64_t>& added) {
        if (!added.Ok())
          say(speaker + ": the label check is not in the line database: " + added.Message);
        done(added.Ok());
      });
}
