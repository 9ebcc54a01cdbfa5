#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/socket_layer.h"

// The machine's own IPv4 addresses and the interfaces that carry them, as the system lists
// them (getifaddrs).
struct OwnAddress {
  Ipv4 Address;
  // Directed broadcast of the address's subnet, derived from the netmask when the address has
  // no broadcast attribute; 0.0.0.0 when the interface has none.
  Ipv4 Broadcast;
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

// The directed broadcast address of the subnet; 0.0.0.0 for /31 and /32.
Ipv4 SubnetBroadcast(Ipv4 address, Ipv4 mask);

// The address on the interface with this index, when that interface still has this name and
// carries the address (any state, loopback included); nothing otherwise.
std::optional<OwnAddress> FindAddressOnInterface(Ipv4 address, unsigned index,
                                                 const std::string& name);
