#include "platform/posix/own_interfaces.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>

namespace {

std::uint32_t AddressOf(const sockaddr* address) {
  if (address == nullptr || address->sa_family != AF_INET) return 0;
  return reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
}

}  // namespace

std::vector<OwnAddress> ListOwnAddresses(int* errnoValue) {
  std::vector<OwnAddress> result;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) {
    if (errnoValue != nullptr) *errnoValue = errno;
    return result;
  }
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
    OwnAddress own;
    own.Address = AddressOf(entry->ifa_addr);
    if ((entry->ifa_flags & IFF_BROADCAST) != 0) own.Broadcast = AddressOf(entry->ifa_broadaddr);
    own.Up = (entry->ifa_flags & IFF_UP) != 0;
    own.Loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
    // The name may be an address label ("eth0:1"); the index leads to the device itself.
    own.InterfaceIndex = if_nametoindex(entry->ifa_name);
    char device[IF_NAMESIZE] = {};
    if (own.InterfaceIndex != 0 && if_indextoname(own.InterfaceIndex, device) != nullptr) {
      own.InterfaceName = device;
    } else {
      own.InterfaceName = entry->ifa_name;
    }
    result.push_back(own);
  }
  freeifaddrs(list);
  if (errnoValue != nullptr) *errnoValue = 0;
  return result;
}

std::vector<std::uint32_t> HostEntryAddresses(int* errnoValue) {
  std::vector<std::uint32_t> addresses;
  for (const OwnAddress& own : ListOwnAddresses(errnoValue)) {
    if (own.Up && !own.Loopback) addresses.push_back(own.Address);
  }
  return addresses;
}

std::optional<OwnAddress> FindInterfaceOfAddress(std::uint32_t networkAddress) {
  for (const OwnAddress& own : ListOwnAddresses()) {
    if (own.Address == networkAddress && own.InterfaceIndex != 0) return own;
  }
  return std::nullopt;
}
