#include "cli/line_record.h"

#include "protocol/text_values.h"
#include "station/station_write.h"

LineRecord::LineRecord(Session& session, const LineOptions& options)
    : Run(session), Station(options.Station), Line(session.Loop(), options.Conninfo) {}

LinePlace LineRecord::Place() const {
  return {Station, Run.Entry().InterfaceName, DottedQuad(Run.Address())};
}

bool LineRecord::LabelChecked(const std::string& label, const std::optional<MacAddress>& found,
                              bool ok, const std::string& reason) {
  const std::optional<bool> stored = AwaitCall<bool>(
      Run.Loop(),
      [&](StationWrite::Done done) {
        StationWrite::StoreLabelCheck(Line, Run.Io(), Place(), label, found, ok, reason,
                                      std::move(done));
      },
      Bound());
  return stored.value_or(false);
}
