#include "udp/pc_address_list.h"

#include "protocol/text_values.h"

bool PcAddressList::Update(const THostEntry& host) {
  std::vector<PcAddress> now;
  for (int i = 0; i < host.GetAddressCount(); ++i)
    now.push_back({host.GetNthINetAddress(i), host.GetNthInterfaceName(i)});
  if (now == Entries) return false;
  Entries = std::move(now);
  return true;
}

int PcAddressList::Find(std::uint32_t address) const {
  for (int i = 0; i < Count(); ++i) {
    if (At(i).Address == address) return i;
  }
  return -1;
}

std::string PcAddressList::EntryText(int index) const {
  return std::to_string(index + 1) + ": " + DottedQuad(NetworkToHostLong(At(index).Address));
}
