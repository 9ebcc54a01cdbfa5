#include "udp/gateway_list.h"

#include <algorithm>
#include <cstring>

#include "protocol/text_values.h"
#include "udp/found_modules.h"

GatewayList::Taken GatewayList::Add(const GatewayRecord& record) {
  const auto end = Records.begin() + Used;
  const bool known = std::any_of(Records.begin(), end, [&](const GatewayRecord& listed) {
    return std::memcmp(listed.Mac, record.Mac, sizeof record.Mac) == 0;
  });
  if (known) return Taken::Known;
  // The list, the drop-down list and the count stay in step: a 21st gateway is not taken.
  if (Used == kCapacity) {
    MacAddress mac;
    std::memcpy(mac.data(), record.Mac, mac.size());
    if (UnlistedAddresses.count(mac) != 0) return Taken::Known;
    if (UnlistedAddresses.size() < kUnlistedKept) UnlistedAddresses.emplace(mac, record.ActualIp);
    ++UnlistedCount;
    return Taken::Full;
  }
  Records[static_cast<std::size_t>(Used++)] = record;
  return Taken::New;
}

void GatewayList::Clear() {
  Records.fill(kEmptyGatewayRecord);
  Used = 0;
  UnlistedAddresses.clear();
  UnlistedCount = 0;
}

std::optional<std::string> GatewayList::UserOf(const MacAddress& mac) const {
  for (int i = 0; i < Used; ++i) {
    const GatewayRecord& listed = Records[static_cast<std::size_t>(i)];
    if (MacOf(listed) == mac) return DescribeModule(listed);
  }
  if (const auto unlisted = UnlistedAddresses.find(mac); unlisted != UnlistedAddresses.end())
    return "the module at " + DottedQuad(unlisted->second) + " (not listed)";
  return std::nullopt;
}

const GatewayRecord& GatewayList::At(int index) const {
  return Records.at(static_cast<std::size_t>(index));
}

void GatewayList::Replace(int index, const GatewayRecord& record) {
  if (index >= 0 && index < Used) Records[static_cast<std::size_t>(index)] = record;
}

std::string GatewayList::MacTextAt(int index) const {
  MacAddress mac;
  std::memcpy(mac.data(), At(index).Mac, mac.size());
  return MacText(mac);
}
