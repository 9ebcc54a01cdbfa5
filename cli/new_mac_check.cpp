#include "cli/new_mac_check.h"

bool NewMacAnswers(const FoundModules& found, const GatewayRecord& module,
                   const MacAddress& newMac) {
  const GatewayRecord* now = found.Find(newMac);
  return now != nullptr && now->ActualIp == module.ActualIp;
}

bool NewMacTaken(const FoundModules& found, const GatewayRecord& module, const MacAddress& newMac) {
  const MacAddress oldMac = MacOf(module);
  return NewMacAnswers(found, module, newMac) &&
         (oldMac == newMac || found.Find(oldMac) == nullptr);
}
