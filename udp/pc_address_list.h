#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/socket_layer.h"

// One entry of the PC address list: an address on an interface. Two entries are the same
// only with the same address on the same interface (index and name).
using PcAddress = TInterfaceAddress;

// The PC's own addresses as the list shows them, in the order the system lists them. An entry
// is found again by its address and interface, never by its position: positions change as
// addresses come and go, and one address may stand on several interfaces.
class PcAddressList {
 public:
  // Takes the entries of the host entry; yields true when anything changed, a carrier too.
  bool Update(const THostEntry& host);
  int Count() const { return static_cast<int>(Entries.size()); }
  const PcAddress& At(int index) const { return Entries.at(static_cast<std::size_t>(index)); }
  // The position of the entry, -1 when the PC does not have it.
  int Find(const PcAddress& entry) const;
  // How many entries have this address (network order).
  int CountOf(std::uint32_t address) const;
  // "n: a.b.c.d", n counted from 1; where the address stands on several interfaces, the
  // interface follows: "n: a.b.c.d (eth1)".
  std::string EntryText(int index) const;
  // "a.b.c.d (eth1), a.b.c.d (eth2)": every entry, for messages.
  std::string Describe() const;

 private:
  std::vector<PcAddress> Entries;
};
