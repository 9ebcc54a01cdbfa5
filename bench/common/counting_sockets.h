#pragma once

// A socket layer that hands out the sockets of another layer and counts what the program
// reads through them: the benchmark's view of how many datagrams and bytes the program
// actually took, without any counter in the program or its platform.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/socket_layer.h"

struct SocketReadCounts {
  std::uint64_t DatagramsRead = 0;         // successful datagram reads
  std::uint64_t DatagramReadFailures = 0;  // datagram reads that yielded -1
  std::uint64_t StreamReads = 0;           // successful stream reads
  std::uint64_t StreamBytes = 0;
  std::uint64_t StreamReadFailures = 0;
};

class CountingSocketLayer final : public TSocketLayer {
 public:
  explicit CountingSocketLayer(TSocketLayer& inner) : Inner(inner) {}

  bool IsAvailable() override { return Inner.IsAvailable(); }
  void Startup(int major, int minor) override { Inner.Startup(major, minor); }
  std::unique_ptr<TDatagramSocket> NewDatagramSocket(const TLocalBinding& own) override;
  std::unique_ptr<TStreamSocket> NewStreamSocket(const TLocalBinding& own) override;
  bool ReadOwnAddresses(THostEntry& entry) override { return Inner.ReadOwnAddresses(entry); }
  std::unique_ptr<TAddressWatch> WatchAddresses(std::function<void()> changed) override {
    return Inner.WatchAddresses(std::move(changed));
  }
  std::string GetReasonString(int error) const override { return Inner.GetReasonString(error); }

  // Totals over every socket made so far.
  const SocketReadCounts& Counts() const { return Totals; }
  // The address of the newest datagram socket still in use; empty when there is none.
  TINetSocketAddress DatagramAddress() const;

 private:
  TSocketLayer& Inner;
  SocketReadCounts Totals;
  std::vector<const TDatagramSocket*> Datagrams;  // in use, oldest first
};
