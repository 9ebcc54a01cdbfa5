#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "gateway/production_commands.h"
#include "line/line_database.h"
#include "station/given_number.h"
#include "station/station_write.h"

// The next MAC of the line database's pool for a prefix, given to one module: vellora-cli's
// assign --line and the window's Set && Incr. with --line. The pool's next MAC is checked before
// a number is taken, so that a MAC in use, or one no module can use, is refused with the pool as
// it was. A line of the record on disk says that a number is about to be taken; the number is
// then taken in one transaction with its row and the request's bytes, and the request leaves
// after that. A station that takes the number checked first leaves this one another, which is
// checked again when its request is made: a MAC refused then has used up its number, which its
// row says. A number taken is never given again, whatever happens before its request leaves.
class PoolGive {
 public:
  using Done = std::function<void(const GivenNumber& given)>;

  // `action` names the give in the record's line ("assign", "Set & Incr.").
  PoolGive(LineDatabase& line, const StationIo& io, const LinePlace& place, std::string action,
           const GatewayRecord& module, const MacStart& prefix, MacUser inUse);
  PoolGive(const PoolGive&) = delete;
  PoolGive& operator=(const PoolGive&) = delete;

  // Calls back once, from the event loop; never after the give is gone.
  void Start(Done done);
  bool Finished() const { return Ended; }
  // The write of the number given, whose row a confirmation moves on.
  StationWrite& Write() { return TheWrite; }

 private:
  void Checked(const LineReply<std::optional<std::uint32_t>>& next);
  void Taken(const LineReply<TakenNumber>& taken);
  void Finish(GivenNumber given);
  // "SPEAKER: SetMacRequest not sent: why", with the server named when the reason does not.
  void SayNotSent(const std::string& message);

  LineDatabase& Line;
  const StationIo Io;
  const LinePlace Place;
  const std::string Action;
  const GatewayRecord Module;
  const MacStart Prefix;
  const MacUser InUse;
  StationWrite TheWrite;
  Done Callback;
  // The request made inside the take, for the number taken.
  std::shared_ptr<SetAndIncrOutcome> Made = std::make_shared<SetAndIncrOutcome>();
  bool Ended = false;
  std::shared_ptr<char> Alive = std::make_shared<char>();
};
