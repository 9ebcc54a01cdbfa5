#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "protocol/messages.h"
#include "tools/gateway_sim/options.h"

// The simulated gateways and what each request does to them. No sockets and no clock: the
// caller passes the time, so every behaviour can be checked without a network.

inline constexpr std::size_t kEepromSize = 65536;

struct SimGateway {
  GatewaySetup Setup;  // the record its reply carries, and reply byte 10
  bool Rebooting = false;
  std::int64_t RebootEndMs = 0;
  std::vector<std::uint8_t> Eeprom = std::vector<std::uint8_t>(kEepromSize, 0xFF);  // erased
};

enum class RequestOutcome {
  Answered,    // a search, answered by the gateways listed
  Applied,     // a command, carried out by the gateways listed
  UnknownMac,  // no gateway has the MAC named
  Rebooting,   // every gateway meant is rebooting and hears nothing
  Ignored,     // read-only gateways heard the command and changed nothing
};

struct RequestResult {
  RequestOutcome Outcome = RequestOutcome::UnknownMac;
  std::vector<std::size_t> Gateways;  // 0-based indices of the gateways that acted
  std::uint8_t EepromPrevious = 0;    // set-EEPROM: the byte it replaced in the first of them
};

class GatewayModel {
 public:
  // Read-only gateways answer searches and carry out no command, as a write-protected module.
  GatewayModel(const std::vector<GatewaySetup>& setups, std::int64_t rebootMs,
               bool readOnly = false);

  // Carries out one decoded request at `nowMs`. A search is answered by every running
  // gateway; any other request acts on every running gateway whose MAC it names:
  // set-config replaces the settings (the MAC and the address in use stay), reboot silences
  // the gateway for the reboot time, set-MAC changes the MAC it answers under, set-EEPROM
  // writes one byte of its EEPROM image. Call FinishReboots(nowMs) first.
  RequestResult Handle(const GatewayRequest& request, std::int64_t nowMs);

  // Ends the reboots that are due and returns the gateways that came back. A gateway without
  // DHCP comes back using its configured IP address, like a module that reads its settings at
  // start; with DHCP it keeps the address it had.
  std::vector<std::size_t> FinishReboots(std::int64_t nowMs);

  // When the next reboot ends, or -1 while none is under way.
  std::int64_t NextRebootEndMs() const;

  const std::vector<SimGateway>& Gateways() const { return gateways_; }
  std::int64_t RebootMs() const { return rebootMs_; }

 private:
  void Apply(const GatewayRequest& request, SimGateway& gateway, std::int64_t nowMs);

  std::vector<SimGateway> gateways_;
  std::int64_t rebootMs_;
  bool readOnly_;
};
