#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/socket_layer.h"
#include "protocol/messages.h"
#include "udp/pc_address_list.h"

enum class UdpState { Closed, Bound, Ready };

// The gateway protocol's end on the PC: the PC address the operator chose, one datagram
// socket on it, its state, requests out to the broadcast address and replies in. A new choice
// makes a new socket; the old one is released.
class UdpEndpoint {
 public:
  class Listener {
   public:
    // A line for the debug list: what went wrong, and why.
    virtual void OnUdpMessage(const std::string& line) = 0;
    // A request left, from the chosen address (network order).
    virtual void OnRequestSent(std::uint32_t from, std::span<const std::uint8_t> request) = 0;

   protected:
    ~Listener() = default;
  };

  // Notifications of the socket and of a look-up go to the window; the look-up manager is
  // shared with the terminal, as one look-up runs at a time.
  UdpEndpoint(TSocketLayer& sockets, THostInfoManager& hostInfo, TMessageTarget& window,
              Listener& listener);
  ~UdpEndpoint();
  UdpEndpoint(const UdpEndpoint&) = delete;
  UdpEndpoint& operator=(const UdpEndpoint&) = delete;

  // --- The PC's addresses and the choice ---
  // Reads the PC's own addresses; true when they changed.
  bool ReadPcAddresses();
  const PcAddressList& PcAddresses() const { return Addresses; }
  void Choose(std::uint32_t address);
  // No address chosen, no socket.
  void Forget();
  std::optional<std::uint32_t> Chosen() const { return ChosenAddress; }
  // Where the chosen address stands in the list now; -1 when it is not there.
  int ChosenPosition() const;
  // The address to take when nothing is chosen: the one asked for at start, wherever it is
  // listed, or, when none was asked for and nothing was ever chosen, the first listed. -1 when
  // there is none to take: an address the operator chose and lost is not replaced.
  int AddressToTake() const;
  void Prefer(std::uint32_t address) { Preferred = address; }

  // --- The socket ---
  // A new socket on the chosen address, bound and ready to broadcast to port `portText`. An
  // address text that is not dotted decimal starts a look-up, which ends with the window's
  // message; the endpoint stays Bound until LookupSucceeded. False when no socket could be
  // made or bound.
  bool Open(const std::string& addressText, const std::string& portText);
  // Closes the socket after an error; it stays closed until the next Open.
  void Close();
  void LookupSucceeded() { State = UdpState::Ready; }
  UdpState GetState() const { return State; }
  const TINetSocketAddress& Destination() const { return BroadcastAddress; }
  // The socket's own address, the port as bound.
  TINetSocketAddress SocketAddress() const;

  // One datagram to the broadcast address; false when it did not go out (a send that would
  // block is dropped quietly, any other failure closes the socket and says why).
  bool SendDatagram(std::span<const std::uint8_t> bytes);
  // Reads one datagram; the reply it holds, or nothing.
  std::optional<ParsedReply> ReceiveReply();
  // The line for a read notification that carries a socket error.
  static std::string ReadErrorLine(unsigned error);

 private:
  TSocketLayer& Sockets;
  THostInfoManager& HostInfo;
  TMessageTarget& Window;
  Listener& Out;
  PcAddressList Addresses;
  std::optional<std::uint32_t> ChosenAddress;  // network order
  std::optional<std::uint32_t> Preferred;
  bool EverChosen = false;
  std::unique_ptr<TDatagramSocket> Socket;
  UdpState State = UdpState::Closed;
  TINetSocketAddress BroadcastAddress;
};
