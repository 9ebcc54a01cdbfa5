#include "platform/posix/own_interfaces.h"

#include <arpa/inet.h>
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

std::uint32_t SubnetBroadcast(std::uint32_t networkAddress, std::uint32_t networkMask) {
  // /31 and /32 have no broadcast address.
  if ((ntohl(networkMask) & 0x2u) != 0) return 0;
  return networkAddress | ~networkMask;
}

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
    if ((entry->ifa_flags & IFF_BROADCAST) != 0) {
      own.Broadcast = AddressOf(entry->ifa_broadaddr);
      // An address added without a broadcast attribute still has its subnet's broadcast, and
      // the system delivers datagrams sent to it; the list then gives 0 or the address itself.
      if (own.Broadcast == 0 || own.Broadcast == own.Address)
        own.Broadcast = SubnetBroadcast(own.Address, AddressOf(entry->ifa_netmask));
    }
    own.Up = (entry->ifa_flags & IFF_UP) != 0;
    own.Running = (entry->ifa_flags & IFF_RUNNING) != 0;
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

std::vector<OwnAddress> HostEntryAddresses(int* errnoValue) {
  std::vector<OwnAddress> addresses;
  for (OwnAddress& own : ListOwnAddresses(errnoValue)) {
    if (own.Up && !own.Loopback) addresses.push_back(std::move(own));
  }
  return addresses;
}

THostEntry OwnHostEntry(int* errnoValue) {
  THostEntry host;
  for (OwnAddress& own : HostEntryAddresses(errnoValue))
    host.Entries.push_back(
        {own.Address, own.InterfaceIndex, std::move(own.InterfaceName), own.Running});
  return host;
}

std::optional<OwnAddress> FindAddressOnInterface(std::uint32_t networkAddress, unsigned index,
                                                 const std::string& name) {
  for (const OwnAddress& own : ListOwnAddresses()) {
    if (own.Address == networkAddress && own.InterfaceIndex == index && own.InterfaceName == name)
      return own;
  }
  return std::nullopt;
}
