#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "udp/pc_address_list.h"

// What a command line asks to work from: an address of the PC (network order), an interface
// by its name, or both (the address on that interface).
struct StartRequest {
  std::optional<std::uint32_t> Address;
  std::string Interface;
  bool Asked() const { return Address.has_value() || !Interface.empty(); }
};

// The entry to work from, or why there is none. Without a request it is the first entry. An
// address that stands on several interfaces is refused without an interface: taking the
// first of them would be taking a wire nobody chose.
struct StartChoice {
  int Position = -1;
  std::string Refusal;  // empty when Position names an entry, or when the PC has no address
};
StartChoice ChooseStartEntry(const PcAddressList& list, const StartRequest& request);
