#include "bench/udp_replies/kernel_udp_counters.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The "Udp:" value line, by the names of the header line before it.
bool ReadSnmp(KernelUdpCounters& counters) {
  std::ifstream snmp("/proc/thread-self/net/snmp");
  std::string header, values;
  while (std::getline(snmp, header)) {
    if (header.rfind("Udp: ", 0) != 0) continue;
    if (!std::getline(snmp, values)) return false;
    std::istringstream names(header), numbers(values);
    std::string name, number;
    names >> name;
    numbers >> number;
    while (names >> name && numbers >> number) {
      if (name == "InDatagrams") counters.InDatagrams = std::stoull(number);
      if (name == "RcvbufErrors") counters.ReceiveBufferErrors = std::stoull(number);
    }
    return true;
  }
  return false;
}

std::uint64_t ReadBacklogDrops() {
  std::ifstream stat("/proc/net/softnet_stat");
  std::uint64_t total = 0;
  std::string line;
  while (std::getline(stat, line)) {
    std::istringstream fields(line);
    std::string processed, dropped;
    if (fields >> processed >> dropped) total += std::stoull(dropped, nullptr, 16);
  }
  return total;
}

}  // namespace

KernelUdpCounters ReadKernelUdpCounters() {
  KernelUdpCounters counters;
  counters.Valid = ReadSnmp(counters);
  counters.BacklogDrops = ReadBacklogDrops();
  return counters;
}
