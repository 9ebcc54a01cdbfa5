#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/event_loop.h"
#include "platform/posix/socket_core.h"
#include "platform/socket_layer.h"

// Where and how a received datagram arrived.
struct DatagramArrival {
  std::uint32_t SourceAddress = 0;  // network order
  std::uint16_t SourcePort = 0;     // network order
  bool HasInfo = false;             // IP_PKTINFO came with it
  unsigned Interface = 0;
  std::uint32_t Destination = 0;  // the header's destination address, network order
};

// A UDP socket tied to one of the machine's interfaces.
//
// Binding to an address on an interface does not bind the descriptor to that address: this
// system does not deliver broadcasts to a socket bound to a unicast address. Instead the
// socket is tied to the interface by its index (SO_BINDTOIFINDEX), bound to 0.0.0.0 with the
// port asked for, and every datagram is sent with IP_PKTINFO naming that interface and the
// chosen address as its source. The bind fails (10049) when the interface of that index is
// gone, has another name, or no longer carries the address. Of what arrives it keeps only datagrams
// that came in on that interface, addressed to the chosen address or to a broadcast address, and
// not sent by this socket itself; the rest is consumed silently before any notification is raised.
//
// A binding without an interface is a plain bind to its address, without any of this. A socket
// made for an address refuses to send (10022) until it is bound, so nothing ever leaves from a
// source or interface the system picked.
//
// Notifications: FD_READ when a datagram waits that the socket keeps. To decide that, the
// socket takes the datagram from the system and holds it until Read hands it over. After an
// FD_READ the next one comes once Read has been called (as the asynchronous-select model
// re-enables read notifications on each read), so a window that reads one datagram per
// notification gets one notification per datagram; up to kReadsPerPass of them are delivered
// in one event-loop pass. FD_WRITE is never raised: a send never waits for room.
class PosixDatagramSocket final : public TDatagramSocket, private SocketEvents {
 public:
  PosixDatagramSocket(TEventLoop& loop, const TLocalBinding& own);
  ~PosixDatagramSocket() override = default;

  void SetNotificationWindow(TMessageTarget* window) override { Core.SetWindow(window); }
  int CreateSocket() override;
  int BindSocket() override;
  int StartRegularNotification() override;
  int CloseSocket() override;
  int SetBroadcastOption(bool on) override { return Core.SetBroadcast(on); }
  int GetLastError() const override { return Core.LastError(); }
  TINetSocketAddress GetSocketAddress() const override;

  int Write(const std::uint8_t* bytes, int count, const TINetSocketAddress& to) override;
  int Read(std::uint8_t* buffer, int& roomAndCount, TINetSocketAddress& from) override;

  // The interface the socket is tied to after a bind to an address on an interface; 0
  // otherwise.
  unsigned InterfaceIndex() const { return BoundInterface; }
  // The descriptor, -1 when none is open.
  int Descriptor() const { return Core.Fd(); }

 private:
  void OnReadable() override;
  void OnWritable() override {}
  bool Keeps(const DatagramArrival& arrival) const;
  bool TakeNextKept();
  void ResetBinding();

  // Datagrams dropped by the filter in one go before giving the loop back; more wait for the
  // next pass.
  static constexpr int kDropLimit = 64;
  // FD_READs delivered in one event-loop pass at most, so that a flood cannot starve the loop.
  static constexpr int kReadsPerPass = 64;

  SocketCore Core;
  TLocalBinding Own;
  bool Bound = false;
  std::uint16_t BoundPort = 0;           // network order
  unsigned BoundInterface = 0;           // 0: not tied to an interface
  std::uint32_t InterfaceBroadcast = 0;  // directed broadcast of the chosen address's subnet

  // The datagram taken for the last FD_READ, or the error met while taking it.
  bool HasHeld = false;
  int HeldError = 0;
  std::size_t HeldLength = 0;
  DatagramArrival HeldArrival;
  std::array<std::uint8_t, 65536> Held;  // more than any UDP datagram can carry
};
