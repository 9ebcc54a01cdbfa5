#include "station/window_station.h"

#include "station/counter_give.h"

WindowStation::WindowStation(TCounterFile& counter) : Counter(&counter) {}

WindowStation::WindowStation(TEventLoop& loop, const std::string& conninfo, std::string station,
                             LineTimeouts timeouts)
    : Line(std::make_unique<LineDatabase>(loop, conninfo, timeouts)), Name(std::move(station)) {}

void WindowStation::Open(Lines told) {
  if (!Line) return;
  Line->Connection().SetStateListener(
      [told = std::move(told)](bool, const std::string& line) { told(line); });
  Line->Connection().Open();
}

std::string WindowStation::SourceText() const {
  if (Counter) return "The next serial number in " + Counter->Name() + ", read-only";
  return "The next serial number of the pool for the first three MAC bytes in the line "
         "database " +
         Line->Server() + ", read-only";
}

LinePlace WindowStation::Place(const std::string& interfaceName,
                               const std::string& pcAddress) const {
  return {Name, interfaceName, pcAddress};
}

void WindowStation::Give(const GatewayRecord& module, const MacStart& prefix, MacUser inUse,
                         const StationIo& io, const LinePlace& place,
                         std::function<void(const GivenNumber& given)> done) {
  if (Counter) return done(GiveFromCounter(*Counter, io, module, prefix, inUse));
  CurrentGive =
      std::make_unique<PoolGive>(*Line, io, place, "Set & Incr.", module, prefix, std::move(inUse));
  CurrentGive->Start(std::move(done));
}

void WindowStation::Next(const std::optional<MacStart>& prefix, NextShown shown) {
  std::string why;
  if (Counter) {
    const std::optional<std::uint64_t> next = Counter->Peek(why);
    return shown(next, why);
  }
  if (Asking) return;
  if (!prefix) return shown(std::nullopt, "the first three MAC bytes are not all typed");
  if (!Line->Connection().Up()) return shown(std::nullopt, "the line database is not reached");
  Asking = true;
  Line->NextNumber(*prefix, [this, prefix = *prefix, shown = std::move(shown)](
                                const LineReply<std::optional<std::uint32_t>>& next) {
    Asking = false;
    if (!next.Ok()) return shown(std::nullopt, next.Message);
    if (!next.Value)
      return shown(std::nullopt, "no pool for " + PrefixText(prefix) + " has a number left");
    shown(*next.Value, {});
  });
}

void WindowStation::Write(std::string command, const GatewayRecord& module,
                          const CommandOutcome& outcome, const std::optional<MacAddress>& macAfter,
                          const StationIo& io, const LinePlace& place, StationWrite::Done done) {
  std::erase_if(Writes,
                [](const std::unique_ptr<StationWrite>& write) { return write->Finished(); });
  Writes.push_back(
      std::make_unique<StationWrite>(Line.get(), io, place, std::move(command), module));
  Writes.back()->Send(outcome, macAfter, std::move(done));
}

void WindowStation::LabelChecked(const std::string& label, const std::optional<MacAddress>& found,
                                 bool ok, const std::string& reason, const StationIo& io,
                                 const LinePlace& place, StationWrite::Done done) {
  StationWrite::StoreLabelCheck(*Line, io, place, label, found, ok, reason, std::move(done));
}
