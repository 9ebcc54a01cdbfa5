#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/socket_layer.h"

// A socket layer in memory, for tests. Every socket the program makes leaves a state record
// that outlives the socket object: a test reads what was sent, queues what is to be read,
// injects failures and delivers notifications. Nothing touches a network.
class MemorySocketLayer : public TSocketLayer {
 public:
  struct Datagram {
    std::vector<std::uint8_t> Bytes;
    TINetSocketAddress Peer;  // destination of a sent datagram, source of a received one
  };

  struct SocketState {
    bool IsStream = false;
    TINetSocketAddress Own;
    unsigned InterfaceIndex = 0;  // the interface the socket is tied to; 0: none
    std::string InterfaceName;
    TSocketNotifications Owner;
    bool Open = false;  // a system socket exists
    bool Bound = false;
    bool Notifying = false;
    bool Broadcast = false;
    bool Released = false;  // the socket object was destroyed
    int Creates = 0;
    int Closes = 0;
    int LastError = 0;

    // Failure injection: the error number the next such call fails with (0: it succeeds).
    int CreateError = 0;
    int BindError = 0;
    std::deque<int> WriteErrors;  // one per failing write, in order
    // Outcome of Connect: 0 connects at once; EWOULDBLOCK_ leaves it in progress.
    int ConnectError = wsa::EWOULDBLOCK_;

    // Datagram sockets.
    std::vector<Datagram> Sent;
    std::deque<Datagram> Incoming;
    // Stream sockets.
    bool Connected = false;
    TINetSocketAddress Peer;
    std::deque<std::vector<std::uint8_t>> IncomingChunks;
    std::vector<int> ShutDowns;
    int DeadPeerSeconds = 0;  // 0: not asked for
  };

  // --- TSocketLayer ---
  bool IsAvailable() override { return Available; }
  void Startup(int major, int minor) override;
  std::unique_ptr<TDatagramSocket> NewDatagramSocket(const TLocalBinding& own) override;
  std::unique_ptr<TStreamSocket> NewStreamSocket(const TLocalBinding& own) override;
  bool ReadOwnAddresses(THostEntry& entry) override;
  std::unique_ptr<TAddressWatch> WatchAddresses(std::function<void()> changed) override;
  std::string GetReasonString(int error) const override;

  // --- The machine ---
  bool Available = true;
  bool Started = false;
  // The PC's own addresses, network order. A socket tied to an interface binds only while its
  // entry is here.
  THostEntry Host;
  bool AddressesUnreadable = false;

  // False: the machine cannot watch its addresses (WatchAddresses yields nullptr).
  bool CanWatchAddresses = true;

  // --- Inspection and events ---
  std::vector<std::shared_ptr<SocketState>> Sockets;  // every socket made, in order
  SocketState* LastDatagramSocket() const;
  SocketState* LastStreamSocket() const;
  int OpenSocketObjects() const;  // socket objects not yet released
  // Every datagram sent through any socket, in order.
  std::vector<Datagram> AllSent() const;
  // The PC still has the socket's address on the socket's interface.
  bool Carries(const SocketState& socket) const;

  // The socket's notifications, as the real layer gives them from its event loop.
  void TellReadable(const SocketState& socket) const;
  void TellConnected(const SocketState& socket, int error) const;
  void TellClosed(const SocketState& socket, int error) const;
  // Queues a datagram on the socket and tells it readable.
  void Deliver(SocketState& socket, std::vector<std::uint8_t> bytes, Ipv4 fromAddress,
               std::uint16_t fromPort);
  // A connect in progress succeeds: connected without error.
  void AcceptConnect(SocketState& socket);
  // Queues a chunk on a connected stream and tells it readable.
  void DeliverStream(SocketState& socket, const std::string& bytes);
  // The PC's addresses become these; every live address watch tells its window.
  void ChangeAddresses(std::vector<TInterfaceAddress> entries);

  // Called with each new socket's state before the program uses the socket, so a test can
  // make its first calls fail.
  std::function<void(SocketState&)> OnNewSocket;

  // Set by tests to see socket calls among the window-system calls.
  std::vector<std::string>* Journal = nullptr;
  void Record(const std::string& entry) const {
    if (Journal != nullptr) Journal->push_back(entry);
  }

 private:
  using AddressWatcher = std::function<void()>;
  class MemoryAddressWatch;
  std::vector<std::shared_ptr<AddressWatcher>> AddressWatchers;
  std::shared_ptr<SocketState> NewState(bool stream, const TLocalBinding& own);
};

// An entry of the PC's addresses: a.b.c.d on the interface (index, name), with a carrier.
TInterfaceAddress OnInterface(unsigned a, unsigned b, unsigned c, unsigned d, unsigned index,
                              const std::string& name);
