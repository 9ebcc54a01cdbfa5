#include "udp/pc_address_list.h"

#include <algorithm>

#include "protocol/text_values.h"

bool PcAddressList::Update(const THostEntry& host) {
  if (host.Entries == Entries) return false;
  Entries = host.Entries;
  return true;
}

int PcAddressList::Find(const PcAddress& entry) const {
  for (int i = 0; i < Count(); ++i) {
    if (At(i).SameEntry(entry)) return i;
  }
  return -1;
}

int PcAddressList::CountOf(std::uint32_t address) const {
  return static_cast<int>(std::count_if(Entries.begin(), Entries.end(),
                                        [&](const PcAddress& e) { return e.Address == address; }));
}

std::string PcAddressList::EntryText(int index) const {
  const PcAddress& entry = At(index);
  std::string text =
      std::to_string(index + 1) + ": " + DottedQuad(NetworkToHostLong(entry.Address));
  if (CountOf(entry.Address) > 1) text += " (" + entry.InterfaceName + ")";
  return text;
}

std::string PcAddressList::Describe() const {
  if (Entries.empty()) return "none";
  std::string text;
  for (const PcAddress& entry : Entries) {
    if (!text.empty()) text += ", ";
    text += DottedQuad(NetworkToHostLong(entry.Address)) + " (" + entry.InterfaceName + ")";
  }
  return text;
}
