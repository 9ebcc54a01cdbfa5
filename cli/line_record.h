#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "cli/line_options.h"
#include "cli/session.h"
#include "line/line_database.h"
#include "protocol/gateway_record.h"

// The rows one run of vellora-cli writes to the line database (--line): a write's row, stored
// before its request leaves and then moved on to what became of it; a refusal; a label check;
// a number taken. Each call is waited for on the session's loop, within the database's
// timeouts. A call that fails is said on stderr and in the --log record, naming the server
// without its password.
class LineRecord {
 public:
  LineRecord(Session& session, const LineOptions& options);

  // Starts connecting now, so that the connection is made while the command searches.
  void Open() { Database.Connection().Open(); }
  const std::string& Server() const { return Database.Server(); }
  // Where the rows come from: the station, and the session's interface and PC address.
  LinePlace Place() const;

  // The row of a write about to leave, stored. Nothing when it could not be stored, said as
  // "REQUEST not sent: why": the request must not leave.
  std::optional<std::int64_t> Sending(const std::string& command, const GatewayRecord& module,
                                      const std::optional<MacAddress>& macAfter,
                                      std::span<const std::uint8_t> request);
  // A refused command's row, with the refusal as its reason; said when it cannot be written.
  void Refused(const std::string& command, const GatewayRecord& module,
               const std::optional<MacAddress>& macAfter, const std::string& reason);
  // Moves the row on; false, said, when it could not.
  bool Move(std::int64_t row, LineOutcome outcome, const std::string& reason = {});
  // A label check's row: the label as read, the MAC that answered (if one is known) and the
  // result; false, said, when it could not be stored.
  bool LabelChecked(const std::string& label, const std::optional<MacAddress>& found, bool ok,
                    const std::string& reason);

  // The calls as the line database answers them (see LineDatabase), said by the caller.
  LineReply<std::optional<std::uint32_t>> NextNumber(const MacPrefix& prefix);
  LineReply<TakenNumber> Take(TakeRequest request);

 private:
  template <class T>
  LineReply<T> Await(const std::function<void(LineDatabase::Callback<T>)>& call);

  Session& Run;
  std::string Station;
  LineDatabase Database;
};
