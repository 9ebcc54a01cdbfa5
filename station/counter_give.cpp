#include "station/counter_give.h"

#include "protocol/text_values.h"

GivenNumber GiveFromCounter(TCounterFile& counter, const StationIo& io, const GatewayRecord& module,
                            const MacStart& prefix, const MacUser& inUse) {
  SetAndIncrOutcome outcome;
  bool recorded = false;
  const auto give = [&](std::uint64_t number) -> std::optional<std::uint64_t> {
    outcome = SetAndIncrForNumber(module, prefix, number, inUse);
    if (outcome.Command.Refused || io.Record(outcome.Command.Request)) return std::nullopt;
    recorded = true;
    return number + 1;
  };
  std::string error;
  if (!counter.Advance(give, error)) {
    io.Say(io.Speaker + ": " + error + (recorded ? "; the request was not sent" : ""));
    return {};
  }
  if (outcome.Command.Refused) {
    io.Say(outcome.Command.Refused->Line);
    return {GivenNumber::End::Refused, {}, outcome.Command.Refused};
  }
  if (!recorded) return {};  // the record said why
  const MacAddress given = NewMacOf(outcome.Command.Request);
  if (io.Transmit(outcome.Command.Request)) {
    io.Say(io.Speaker + ": " + ColonMac(given) + " was taken from the counter but not sent");
    return {};
  }
  return {GivenNumber::End::Sent, given, {}};
}
