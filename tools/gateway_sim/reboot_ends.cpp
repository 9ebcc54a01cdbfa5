#include "tools/gateway_sim/reboot_ends.h"

#include "tools/gateway_sim/request_log.h"
#include "tools/gateway_sim/sim_clock.h"

RebootEnds::RebootEnds(TEventLoop& loop, GatewayModel& model)
    : model_(model), timer_(loop, [this] { Update(MonotonicMs()); }) {}

void RebootEnds::Update(std::int64_t nowMs) {
  for (const std::size_t i : model_.FinishReboots(nowMs))
    AwakeLine(i, model_.Gateways()[i]).Emit();
  timer_.At(model_.NextRebootEndMs());
}
