#pragma once

#include <cstdint>

// The UDP counters of the calling thread's network namespace (/proc/thread-self/net/snmp) and
// the packets the machine's input queues dropped (/proc/net/softnet_stat, all namespaces).
struct KernelUdpCounters {
  std::uint64_t InDatagrams = 0;
  std::uint64_t ReceiveBufferErrors = 0;  // datagrams dropped because the socket was full
  std::uint64_t BacklogDrops = 0;         // packets dropped before reaching any socket
  bool Valid = false;
};

KernelUdpCounters ReadKernelUdpCounters();
