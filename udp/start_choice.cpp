#include "udp/start_choice.h"

#include "protocol/text_values.h"

StartChoice ChooseStartEntry(const PcAddressList& list, const StartRequest& request) {
  StartChoice choice;
  if (!request.Asked()) {
    if (list.Count() > 0) choice.Position = 0;
    return choice;
  }
  std::string onInterfaces;
  int matches = 0;
  for (int i = 0; i < list.Count(); ++i) {
    const PcAddress& entry = list.At(i);
    const bool address = !request.Address || entry.Address == *request.Address;
    const bool interface = request.Interface.empty() || entry.InterfaceName == request.Interface;
    if (!address || !interface) continue;
    // An interface alone means its first address.
    if (!request.Address) {
      choice.Position = i;
      return choice;
    }
    if (matches++ == 0) choice.Position = i;
    onInterfaces += (onInterfaces.empty() ? "" : ", ") + entry.InterfaceName;
  }
  if (matches == 1) return choice;
  choice.Position = -1;
  const std::string address =
      request.Address ? DottedQuad(NetworkToHostLong(*request.Address)) : std::string();
  if (matches > 1) {
    choice.Refusal = address + " stands on several interfaces (" + onInterfaces +
                     "); name the one meant with --interface";
  } else if (!request.Address) {
    choice.Refusal = "the interface " + request.Interface + " has no IPv4 address, or is down";
  } else if (!request.Interface.empty()) {
    choice.Refusal = address + " is not an IPv4 address of the interface " + request.Interface;
  } else {
    choice.Refusal = address + " is not an IPv4 address of this PC";
  }
  choice.Refusal += "; the PC's addresses: " + list.Describe();
  return choice;
}
