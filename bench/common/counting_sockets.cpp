#include "bench/common/counting_sockets.h"

namespace {

// Everything but the reads goes straight to the wrapped socket; notifications go from the
// wrapped socket to the window directly.
template <class Base>
class Forwarding : public Base {
 public:
  Forwarding(std::unique_ptr<Base> inner, SocketReadCounts& counts)
      : Inner(std::move(inner)), Totals(counts) {}

  void SetNotificationWindow(TMessageTarget* window) override {
    Inner->SetNotificationWindow(window);
  }
  int CreateSocket() override { return Inner->CreateSocket(); }
  int BindSocket() override { return Inner->BindSocket(); }
  int StartRegularNotification() override { return Inner->StartRegularNotification(); }
  int CloseSocket() override { return Inner->CloseSocket(); }
  int SetBroadcastOption(bool on) override { return Inner->SetBroadcastOption(on); }
  int GetLastError() const override { return Inner->GetLastError(); }
  TINetSocketAddress GetSocketAddress() const override { return Inner->GetSocketAddress(); }

 protected:
  std::unique_ptr<Base> Inner;
  SocketReadCounts& Totals;
};

class CountingDatagramSocket final : public Forwarding<TDatagramSocket> {
 public:
  CountingDatagramSocket(std::unique_ptr<TDatagramSocket> inner, SocketReadCounts& counts,
                         std::vector<const TDatagramSocket*>& inUse)
      : Forwarding(std::move(inner), counts), InUse(inUse) {
    InUse.push_back(this);
  }
  ~CountingDatagramSocket() override { std::erase(InUse, this); }

  int Write(const std::uint8_t* bytes, int count, const TINetSocketAddress& to) override {
    return Inner->Write(bytes, count, to);
  }
  int Read(std::uint8_t* buffer, int& roomAndCount, TINetSocketAddress& from) override {
    const int result = Inner->Read(buffer, roomAndCount, from);
    if (result == -1) {
      ++Totals.DatagramReadFailures;
    } else {
      ++Totals.DatagramsRead;
    }
    return result;
  }

 private:
  std::vector<const TDatagramSocket*>& InUse;
};

class CountingStreamSocket final : public Forwarding<TStreamSocket> {
 public:
  using Forwarding::Forwarding;

  int Connect(const TINetSocketAddress& peer) override { return Inner->Connect(peer); }
  int Read(std::uint8_t* buffer, int& roomAndCount) override {
    const int result = Inner->Read(buffer, roomAndCount);
    if (result == -1) {
      ++Totals.StreamReadFailures;
    } else {
      ++Totals.StreamReads;
      Totals.StreamBytes += static_cast<std::uint64_t>(roomAndCount);
    }
    return result;
  }
  int ShutDownSocket(int how) override { return Inner->ShutDownSocket(how); }
  int SetDeadPeerTimeout(int seconds) override { return Inner->SetDeadPeerTimeout(seconds); }
};

}  // namespace

std::unique_ptr<TDatagramSocket> CountingSocketLayer::NewDatagramSocket(const TLocalBinding& own) {
  return std::make_unique<CountingDatagramSocket>(Inner.NewDatagramSocket(own), Totals, Datagrams);
}

TINetSocketAddress CountingSocketLayer::DatagramAddress() const {
  return Datagrams.empty() ? TINetSocketAddress() : Datagrams.back()->GetSocketAddress();
}

std::unique_ptr<TStreamSocket> CountingSocketLayer::NewStreamSocket(const TLocalBinding& own) {
  return std::make_unique<CountingStreamSocket>(Inner.NewStreamSocket(own), Totals);
}
