#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "cli/line_options.h"
#include "cli/session.h"
#include "line/line_database.h"

// The line database of one run of vellora-cli (--line), for the rows its writes store: the
// connection, the station and the session's place. The rows are written by the station's
// writes (StationWrite, PoolGive) as the window writes them; the run waits for each on the
// session's loop, within the database's timeouts. A call that fails is said on stderr and in
// the --log record, naming the server without its password.
class LineRecord {
 public:
  LineRecord(Session& session, const LineOptions& options);

  // Starts connecting now, so that the connection is made while the command searches.
  void Open() { Line.Connection().Open(); }
  const std::string& Server() const { return Line.Server(); }
  LineDatabase& Database() { return Line; }
  // Where the rows come from: the station, and the session's interface and PC address.
  LinePlace Place() const;
  // How long the run waits for one step of a write: long enough for the database's timeouts.
  std::chrono::milliseconds Bound() { return LineBound(Line.Connection().Timeouts()); }

  // A label check's row: the label as read, the MAC that answered (if one is known) and the
  // result; false, said, when it could not be stored.
  bool LabelChecked(const std::string& label, const std::optional<MacAddress>& found, bool ok,
                    const std::string& reason);

 private:
  Session& Run;
  std::string Station;
  LineDatabase Line;
};
