#include "tools/gateway_sim/gateway_model.h"

#include <array>
#include <cstring>

#include "protocol/messages.h"
#include "protocol/settings_block.h"

namespace {

// Everything a set-config request carries, the settings block: the record but its MAC and the
// address in use.
void CopySettings(const GatewayRecord& from, GatewayRecord& to) {
  std::array<std::uint8_t, kSettingsBlockLength> block{};
  EncodeSettingsBlock(from, block.data());
  DecodeSettingsBlock(block.data(), to);
}

}  // namespace

GatewayModel::GatewayModel(const std::vector<GatewaySetup>& setups, std::int64_t rebootMs,
                           bool readOnly)
    : rebootMs_(rebootMs), readOnly_(readOnly) {
  gateways_.resize(setups.size());
  for (std::size_t i = 0; i < setups.size(); ++i)
    gateways_[i].Setup = setups[i];
}

RequestResult GatewayModel::Handle(const GatewayRequest& request, std::int64_t nowMs) {
  RequestResult result;
  bool named = false;
  for (std::size_t i = 0; i < gateways_.size(); ++i) {
    SimGateway& gateway = gateways_[i];
    if (request.Command != CmdSearchRequest &&
        std::memcmp(gateway.Setup.Record.Mac, request.Mac, 6) != 0)
      continue;
    named = true;
    if (gateway.Rebooting) continue;
    if (request.Command == CmdSetEepromRequest && result.Gateways.empty())
      result.EepromPrevious = gateway.Eeprom[request.EepromAddress];
    if (!readOnly_) Apply(request, gateway, nowMs);
    result.Gateways.push_back(i);
  }
  if (!named)
    result.Outcome = RequestOutcome::UnknownMac;
  else if (result.Gateways.empty())
    result.Outcome = RequestOutcome::Rebooting;
  else if (request.Command == CmdSearchRequest)
    result.Outcome = RequestOutcome::Answered;
  else
    result.Outcome = readOnly_ ? RequestOutcome::Ignored : RequestOutcome::Applied;
  return result;
}

void GatewayModel::Apply(const GatewayRequest& request, SimGateway& gateway, std::int64_t nowMs) {
  switch (request.Command) {
    case CmdSetConfigRequest:
      CopySettings(request.Settings, gateway.Setup.Record);
      break;
    case CmdRebootRequest:
      gateway.Rebooting = true;
      gateway.RebootEndMs = nowMs + rebootMs_;
      break;
    case CmdSetMacRequest:
      std::memcpy(gateway.Setup.Record.Mac, request.NewMac, 6);
      break;
    case CmdSetEepromRequest:
      gateway.Eeprom[request.EepromAddress] = request.EepromValue;
      break;
    default:  // a search changes nothing
      break;
  }
}

std::vector<std::size_t> GatewayModel::FinishReboots(std::int64_t nowMs) {
  std::vector<std::size_t> back;
  for (std::size_t i = 0; i < gateways_.size(); ++i) {
    SimGateway& gateway = gateways_[i];
    if (!gateway.Rebooting || gateway.RebootEndMs > nowMs) continue;
    gateway.Rebooting = false;
    GatewayRecord& record = gateway.Setup.Record;
    if (record.UseDhcp == 0) record.ActualIp = record.Ip;
    back.push_back(i);
  }
  return back;
}

std::int64_t GatewayModel::NextRebootEndMs() const {
  std::int64_t next = -1;
  for (const SimGateway& gateway : gateways_) {
    if (gateway.Rebooting && (next < 0 || gateway.RebootEndMs < next)) next = gateway.RebootEndMs;
  }
  return next;
}
