#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>

#include "protocol/gateway_record.h"
#include "protocol/text_values.h"

// The gateways that answered since the last clear, in the order of their first reply: one
// entry per MAC with the data of its first reply, at most 20. Entry i is entry i of the
// gateway drop-down list. The MACs of modules that answered when the list was full are kept
// apart, so that no new MAC is given that one of them uses.
class GatewayList {
 public:
  static constexpr int kCapacity = 20;
  // Modules beyond the list that are remembered; more are counted only.
  static constexpr std::size_t kUnlistedKept = 4096;
  enum class Taken { New, Known, Full };

  // The first reply of a MAC is taken while there is room; later ones change nothing.
  Taken Add(const GatewayRecord& record);
  // Modules that answered and were not listed, the list being full.
  int Unlisted() const { return UnlistedCount; }
  // The module that answered with the MAC, for a line ("the module sim-gw-2 at 10.0.0.5");
  // nothing when none did.
  std::optional<std::string> UserOf(const MacAddress& mac) const;
  // Every record back to zero numbers, flags and MAC and empty texts.
  void Clear();
  int Count() const { return Used; }
  // Record `index` (0 to 19): below Count a gateway's, else an empty one.
  const GatewayRecord& At(int index) const;
  // The record of a listed gateway, as "Set" stores what was typed until the next clear.
  void Replace(int index, const GatewayRecord& record);
  // The MAC text of record `index`: its entry in the drop-down list.
  std::string MacTextAt(int index) const;

 private:
  std::array<GatewayRecord, kCapacity> Records{};
  int Used = 0;
  std::map<MacAddress, std::uint32_t> UnlistedAddresses;  // MAC to its address in use
  int UnlistedCount = 0;
};
