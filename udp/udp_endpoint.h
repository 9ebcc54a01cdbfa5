#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/socket_layer.h"
#include "protocol/messages.h"
#include "udp/pc_address_list.h"
#include "udp/repeated_lines.h"

enum class UdpState { Closed, Bound, Ready };

// What became of the chosen entry when the PC's addresses were read again.
enum class ChoiceChange {
  Kept,       // still there, or nothing was chosen
  Lost,       // the address left its interface
  Replugged,  // its interface was removed and made again under the same name
};

// The line of the record for a request that left from the entry.
std::string RequestRecordLine(const PcAddress& from, std::span<const std::uint8_t> request);

// The gateway protocol's end on the PC: the PC address the operator chose, one datagram
// socket on it, its state, requests out to the broadcast address and replies in. A new choice
// makes a new socket; the old one is released.
class UdpEndpoint {
 public:
  class Listener {
   public:
    // A line for the debug list: what went wrong, and why.
    virtual void OnUdpMessage(const std::string& line) = 0;
    // A request is about to leave from the chosen entry: the listener keeps it in its record
    // first. False keeps the request from leaving (the record could not store it; the
    // listener has said so).
    virtual bool OnRequestLeaving(const PcAddress& from, std::span<const std::uint8_t> request) = 0;
    // The PC's addresses changed. When the chosen entry is gone, the endpoint has forgotten
    // it and closed its socket before telling.
    virtual void OnPcAddressesChanged(ChoiceChange chosen, const PcAddress& lost) = 0;

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
  // Reads the PC's own addresses; true when they changed. Quiet: see Refresh.
  bool ReadPcAddresses();
  // Reads them and, when they changed, forgets a chosen entry that is gone and tells the
  // listener.
  void Refresh();
  const PcAddressList& PcAddresses() const { return Addresses; }
  void Choose(const PcAddress& entry);
  // No entry chosen, no socket.
  void Forget();
  const std::optional<PcAddress>& Chosen() const { return ChosenEntry; }
  // Where the chosen entry stands in the list now; -1 when it is not there.
  int ChosenPosition() const;
  // The entry to take when nothing is chosen: the one asked for at start, wherever it is
  // listed, or, when none was asked for and nothing was ever chosen, the first listed. -1 when
  // there is none to take: an entry the operator chose and lost is not replaced.
  int AddressToTake() const;
  void Prefer(const PcAddress& entry) { Preferred = entry; }

  // --- The socket ---
  // A new socket on the chosen entry, bound and ready to broadcast to port `portText`. An
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

  // One datagram to the broadcast address: PrepareRequest, then TransmitRequest.
  bool SendDatagram(std::span<const std::uint8_t> bytes) {
    return PrepareRequest(bytes) && TransmitRequest(bytes);
  }
  // Reads the PC's addresses (nothing leaves from an entry the PC no longer has) and has the
  // listener record the request. False when it must not leave. A caller that must do more
  // between the record and the send (advance a running number) calls the two halves itself.
  bool PrepareRequest(std::span<const std::uint8_t> bytes);
  // Sends a prepared request; false when it did not go out (a send that would block is
  // dropped quietly, any other failure closes the socket and says why).
  bool TransmitRequest(std::span<const std::uint8_t> bytes);
  // Reads one datagram; the reply it holds, or nothing.
  std::optional<ParsedReply> ReceiveReply();
  // A read notification that carries a socket error.
  void ReadFailed(unsigned error);
  // The one-second tick: how many read error lines were left out is said.
  void Tick();

 private:
  TSocketLayer& Sockets;
  THostInfoManager& HostInfo;
  TMessageTarget& Window;
  Listener& Out;
  PcAddressList Addresses;
  std::optional<PcAddress> ChosenEntry;
  std::optional<PcAddress> Preferred;
  bool EverChosen = false;
  std::unique_ptr<TDatagramSocket> Socket;
  UdpState State = UdpState::Closed;
  TINetSocketAddress BroadcastAddress;
  RepeatedLines ReadErrors;
};
