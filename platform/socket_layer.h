#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protocol/ipv4.h"

// The socket-layer operations the program relies on, in the shape of an asynchronous-select
// socket API. Every socket reports to its owner through its own typed callbacks, each from the
// event loop: readable, connected(error) and closed(error), errors as WinSock numbers.

// WinSock error numbers that are part of the program's behaviour.
namespace wsa {
inline constexpr int EINTR_ = 10004;
inline constexpr int EBADF_ = 10009;
inline constexpr int EACCES_ = 10013;
inline constexpr int EFAULT_ = 10014;
inline constexpr int EINVAL_ = 10022;
inline constexpr int EMFILE_ = 10024;
inline constexpr int EWOULDBLOCK_ = 10035;
inline constexpr int EINPROGRESS_ = 10036;
inline constexpr int EALREADY_ = 10037;
inline constexpr int ENOTSOCK_ = 10038;
inline constexpr int EDESTADDRREQ_ = 10039;
inline constexpr int EMSGSIZE_ = 10040;
inline constexpr int EPROTOTYPE_ = 10041;
inline constexpr int ENOPROTOOPT_ = 10042;
inline constexpr int EPROTONOSUPPORT_ = 10043;
inline constexpr int EOPNOTSUPP_ = 10045;
inline constexpr int EAFNOSUPPORT_ = 10047;
inline constexpr int EADDRINUSE_ = 10048;
inline constexpr int EADDRNOTAVAIL_ = 10049;
inline constexpr int ENETDOWN_ = 10050;
inline constexpr int ENETUNREACH_ = 10051;
inline constexpr int ENETRESET_ = 10052;
inline constexpr int ECONNABORTED_ = 10053;
inline constexpr int ECONNRESET_ = 10054;
inline constexpr int ENOBUFS_ = 10055;
inline constexpr int EISCONN_ = 10056;
inline constexpr int ENOTCONN_ = 10057;
inline constexpr int ESHUTDOWN_ = 10058;
inline constexpr int ETIMEDOUT_ = 10060;
inline constexpr int ECONNREFUSED_ = 10061;
inline constexpr int EHOSTDOWN_ = 10064;
inline constexpr int EHOSTUNREACH_ = 10065;
inline constexpr int NOTINITIALISED_ = 10093;
}  // namespace wsa

// An IPv4 socket address: the address and the port as numbers. The socket layer writes them in
// the system's byte order; nothing above it does.
class TINetSocketAddress {
 public:
  TINetSocketAddress() = default;
  TINetSocketAddress(std::uint16_t port, Ipv4 address) : Port(port), Address(address) {}

  std::uint16_t GetPort() const { return Port; }
  Ipv4 GetAddress() const { return Address; }

  bool operator==(const TINetSocketAddress&) const = default;

 private:
  std::uint16_t Port = 0;
  Ipv4 Address;
};

// One IPv4 address of the PC on one interface. The interface is known by its index, which
// the system never gives to two interfaces at once; the name is what the operator reads, and
// is checked against the index, so that an interface removed and created again under the same
// name (a re-plugged adapter) is another interface.
struct TInterfaceAddress {
  Ipv4 Address;
  unsigned InterfaceIndex = 0;
  std::string InterfaceName;
  bool LinkUp = true;  // the interface has a carrier

  // The same address on the same interface; the carrier may come and go.
  bool SameEntry(const TInterfaceAddress& other) const {
    return Address == other.Address && InterfaceIndex == other.InterfaceIndex &&
           InterfaceName == other.InterfaceName;
  }
  bool operator==(const TInterfaceAddress&) const = default;
};

// The PC's own host entry: its IPv4 addresses in the order the system lists them, each with
// the interface that carries it (index 0 and no name where the system names none).
struct THostEntry {
  std::vector<TInterfaceAddress> Entries;
};

// Where a socket lives on this PC: its own address and port, and the interface it is tied to.
// Index 0 ties it to none (a server's 0.0.0.0, loopback tests).
struct TLocalBinding {
  TLocalBinding() = default;
  // Not tied to an interface.
  TLocalBinding(const TINetSocketAddress& address) : Address(address) {}  // NOLINT: converting
  TLocalBinding(const TINetSocketAddress& address, const TInterfaceAddress& on)
      : Address(address), InterfaceIndex(on.InterfaceIndex), InterfaceName(on.InterfaceName) {}
  TINetSocketAddress Address;
  unsigned InterfaceIndex = 0;
  std::string InterfaceName;
};

// While it lives, its callback runs soon after the PC's own addresses change (an address came
// or went, an interface went up, down or away). Changes that come close together may be told
// once.
class TAddressWatch {
 public:
  virtual ~TAddressWatch() = default;
};

// What a socket tells its owner. Each callback comes from the event loop, never inside the call
// that caused it; the owner may close or destroy the socket inside one.
struct TSocketNotifications {
  // Data waits: a datagram, or bytes of the connection. Told again, after each read, while
  // more waits.
  std::function<void()> Readable;
  // A non-blocking connect has ended: 0, or why it failed.
  std::function<void(int error)> Connected;
  // The peer closed the connection (0) or it failed (the error); after the data before it
  // has been readable. Nothing more follows.
  std::function<void(int error)> Closed;
};

class TSocket {
 public:
  virtual ~TSocket() = default;
  // Where this socket's notifications go, once notification has started.
  virtual void SetNotifications(TSocketNotifications notifications) = 0;
  // 0 on success, -1 on failure with the error code in GetLastError (also below).
  virtual int CreateSocket() = 0;
  virtual int BindSocket() = 0;
  virtual int StartRegularNotification() = 0;
  virtual int CloseSocket() = 0;
  virtual int SetBroadcastOption(bool on) = 0;
  virtual int GetLastError() const = 0;
  // The socket's own address (as given at construction, port as bound).
  virtual TINetSocketAddress GetSocketAddress() const = 0;
};

class TDatagramSocket : public TSocket {
 public:
  // Sends one datagram; -1 on failure.
  virtual int Write(const std::uint8_t* bytes, int count, const TINetSocketAddress& to) = 0;
  // Reads one datagram: room in, count out; -1 on failure (none waiting included).
  virtual int Read(std::uint8_t* buffer, int& roomAndCount, TINetSocketAddress& from) = 0;
};

class TStreamSocket : public TSocket {
 public:
  // Non-blocking: -1 with EWOULDBLOCK_ means the connect is under way; connected follows.
  virtual int Connect(const TINetSocketAddress& peer) = 0;
  // A connection whose peer stops answering (power or cable lost) ends within about `seconds`
  // with closed and ETIMEDOUT_, though nothing is sent on it. Before Connect.
  virtual int SetDeadPeerTimeout(int seconds) = 0;
  virtual int Read(std::uint8_t* buffer, int& roomAndCount) = 0;
  // how: 0 receive, 1 send, 2 both.
  virtual int ShutDownSocket(int how) = 0;
};

// The socket layer: start-up check, sockets, the PC's own addresses and their watch, reason
// texts.
class TSocketLayer {
 public:
  virtual ~TSocketLayer() = default;
  virtual bool IsAvailable() = 0;
  // Starts the layer for the whole run (version major.minor asked for).
  virtual void Startup(int major, int minor) = 0;
  // A socket object for the binding; BindSocket ties the system socket to its interface and
  // address, and fails (EADDRNOTAVAIL_) when that interface no longer carries the address.
  virtual std::unique_ptr<TDatagramSocket> NewDatagramSocket(const TLocalBinding& own) = 0;
  virtual std::unique_ptr<TStreamSocket> NewStreamSocket(const TLocalBinding& own) = 0;
  // The PC's own host entry; false, with the entry empty, when the system cannot tell.
  virtual bool ReadOwnAddresses(THostEntry& entry) = 0;
  // Watches the PC's own addresses; nullptr where the system cannot tell.
  virtual std::unique_ptr<TAddressWatch> WatchAddresses(std::function<void()> changed) = 0;
  // The platform's text for a WinSock error number.
  virtual std::string GetReasonString(int error) const = 0;
};

// The reason text of an error, as the socket layer gives it.
class TSocketError {
 public:
  TSocketError(const TSocketLayer& layer, int error, int maxLength = 128)
      : Layer(layer), Error(error), MaxLength(maxLength) {}
  std::string GetReasonString() const;

 private:
  const TSocketLayer& Layer;
  int Error;
  int MaxLength;
};
