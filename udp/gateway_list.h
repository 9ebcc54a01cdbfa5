#pragma once

#include <array>
#include <string>

#include "protocol/gateway_record.h"

// The gateways that answered since the last clear, in the order of their first reply: one
// entry per MAC with the data of its first reply, at most 20. Entry i is entry i of the
// gateway drop-down list.
class GatewayList {
 public:
  static constexpr int kCapacity = 20;
  enum class Taken { New, Known, Full };

  // The first reply of a MAC is taken while there is room; later ones change nothing.
  Taken Add(const GatewayRecord& record);
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
};
