#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "protocol/gateway_record.h"
#include "protocol/text_values.h"

// Every module that answered a search, in the order of its first reply, with the data of that
// reply: a script must see every module, however many answer. A sender of endless MACs is
// held off by a bound far above any line's count, and it is said when it is reached.
class FoundModules {
 public:
  static constexpr std::size_t kMost = 65536;

  void Clear();
  // False when the MAC is known, or the bound is reached.
  bool Add(const GatewayRecord& record);
  int Count() const { return static_cast<int>(Records.size()); }
  const GatewayRecord& At(int index) const { return Records.at(static_cast<std::size_t>(index)); }
  const GatewayRecord* Find(const MacAddress& mac) const;
  bool Full() const { return Records.size() >= kMost; }
  // "the module NAME at A.B.C.D", for a line about who uses the MAC; nothing when none does.
  std::optional<std::string> UserOf(const MacAddress& mac) const;

 private:
  std::vector<GatewayRecord> Records;
  std::set<MacAddress> Macs;
};

// "the module NAME at A.B.C.D": a module as a line names it.
std::string DescribeModule(const GatewayRecord& record);
