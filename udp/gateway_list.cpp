#include "udp/gateway_list.h"

#include <algorithm>
#include <cstring>

#include "protocol/text_values.h"

GatewayList::Taken GatewayList::Add(const GatewayRecord& record) {
  const auto end = Records.begin() + Used;
  const bool known = std::any_of(Records.begin(), end, [&](const GatewayRecord& listed) {
    return std::memcmp(listed.Mac, record.Mac, sizeof record.Mac) == 0;
  });
  if (known) return Taken::Known;
  // The list, the drop-down list and the count stay in step: a 21st gateway is not taken.
  if (Used == kCapacity) return Taken::Full;
  Records[static_cast<std::size_t>(Used++)] = record;
  return Taken::New;
}

void GatewayList::Clear() {
  Records.fill(kEmptyGatewayRecord);
  Used = 0;
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
