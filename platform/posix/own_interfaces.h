#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/socket_layer.h"

// The machine's own IPv4 addresses and the interfaces that carry them, as the system lists
// them (getifaddrs). Addresses are in network byte order, as TINetSocketAddress holds them.
struct OwnAddress {
  std::uint32_t Address = 0;
  // Directed broadcast of the address's subnet, derived from the netmask when the address has
  // no broadcast attribute; 0 when the interface has none.
  std::uint32_t Broadcast = 0;
  unsigned InterfaceIndex = 0;
  // The device name (an address label such as "eth0:1" is resolved to "eth0").
  std::string InterfaceName;
  bool Up = false;
  bool Running = false;  // up with a carrier
  bool Loopback = false;
};

// Every IPv4 address of the machine, in the order the system lists them.
// Empty with errnoValue set when the list cannot be read.
std::vector<OwnAddress> ListOwnAddresses(int* errnoValue = nullptr);

// The addresses that make the PC's host entry: on interfaces that are up, loopback left out,
// in the system's order.
std::vector<OwnAddress> HostEntryAddresses(int* errnoValue = nullptr);

// The PC's host entry: the addresses of HostEntryAddresses with their interfaces and carriers.
THostEntry OwnHostEntry(int* errnoValue = nullptr);

// The directed broadcast address of the subnet (both in network order); 0 for /31 and /32.
std::uint32_t SubnetBroadcast(std::uint32_t networkAddress, std::uint32_t networkMask);

// The address on the interface with this index, when that interface still has this name and
// carries the address (any state, loopback included); nothing otherwise.
std::optional<OwnAddress> FindAddressOnInterface(std::uint32_t networkAddress, unsigned index,
                                                 const std::string& name);
