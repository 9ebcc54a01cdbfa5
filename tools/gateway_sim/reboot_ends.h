#pragma once

#include <cstdint>

#include "platform/event_loop.h"
#include "tools/gateway_sim/deadline_timer.h"
#include "tools/gateway_sim/gateway_model.h"

// Ends the gateways' reboots on time, each with an "awake" line: by a timer of its own while
// nothing else happens, and on request before requests are handled, so that a gateway whose
// reboot has ended hears them.
class RebootEnds {
 public:
  RebootEnds(TEventLoop& loop, GatewayModel& model);

  // Ends the reboots due by `nowMs`, and sets the timer for the next one (one just begun too).
  void Update(std::int64_t nowMs);

 private:
  GatewayModel& model_;
  DeadlineTimer timer_;
};
