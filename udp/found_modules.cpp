#include "udp/found_modules.h"

#include <cstring>

std::string DescribeModule(const GatewayRecord& record) {
  return "the module " + std::string(record.Name) + " at " + DottedQuad(record.ActualIp);
}

void FoundModules::Clear() {
  Records.clear();
  Macs.clear();
}

bool FoundModules::Add(const GatewayRecord& record) {
  if (Full() || !Macs.insert(MacOf(record)).second) return false;
  Records.push_back(record);
  return true;
}

const GatewayRecord* FoundModules::Find(const MacAddress& mac) const {
  if (Macs.count(mac) == 0) return nullptr;
  for (const GatewayRecord& record : Records)
    if (MacOf(record) == mac) return &record;
  return nullptr;
}

std::optional<std::string> FoundModules::UserOf(const MacAddress& mac) const {
  if (const GatewayRecord* user = Find(mac)) return DescribeModule(*user);
  return std::nullopt;
}
