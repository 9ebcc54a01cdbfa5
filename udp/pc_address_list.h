#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/socket_layer.h"

// One entry of the PC address list: the address it shows (network order) and the interface
// that carries it.
struct PcAddress {
  std::uint32_t Address = 0;
  std::string Interface;
  bool operator==(const PcAddress&) const = default;
};

// The PC's own addresses as the list shows them, in the order the system lists them. An entry
// is found again by its address, never by its position: positions change as addresses come
// and go.
class PcAddressList {
 public:
  // Takes the addresses of the host entry; yields true when the entries changed.
  bool Update(const THostEntry& host);
  int Count() const { return static_cast<int>(Entries.size()); }
  const PcAddress& At(int index) const { return Entries.at(static_cast<std::size_t>(index)); }
  // The position of the address, -1 when the PC does not have it.
  int Find(std::uint32_t address) const;
  // "n: a.b.c.d", n counted from 1.
  std::string EntryText(int index) const;

 private:
  std::vector<PcAddress> Entries;
};
