#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/log_file.h"
#include "platform/posix/poll_event_loop.h"
#include "platform/posix/posix_socket_layer.h"
#include "udp/gateway_list.h"
#include "udp/start_choice.h"
#include "udp/udp_endpoint.h"

// One run of a command: the event loop, the POSIX sockets, the PC address it works from and the
// UDP endpoint on it. Messages go to stderr and to the record, when there is one; every request
// sent goes to the record, as the window's --log keeps it.
class Session final : private UdpEndpoint::Listener {
 public:
  explicit Session(TLogFile* record);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Works from the entry the request names, or the first address of the PC. False, with the
  // reason said, when there is no such entry or the request is ambiguous.
  bool ChooseAddress(const StartRequest& request);
  // Opens the endpoint; false, with the reason said, when the socket cannot be made.
  bool Open();
  // The entry worked from; while a command runs it may be lost (Lost() then says so).
  const PcAddress& Entry() const { return Chosen; }
  std::uint32_t Address() const { return Chosen.Address; }
  // The chosen entry left the PC (its address left its interface, or the interface went).
  bool Lost() const { return EntryLost; }
  // Reads the PC's addresses again: Lost() says whether the entry is still there, and the
  // entry's carrier is as the PC reports it now.
  void Refresh();

  // Sends a search and takes replies for `wait`: at most 20 modules, each with its first reply.
  // With `sought`, stops early once a module it holds for has answered.
  const GatewayList& Search(std::chrono::milliseconds wait,
                            const std::function<bool(const GatewayRecord&)>& sought = nullptr);
  // False when the request did not leave (the reason is said).
  bool Send(std::span<const std::uint8_t> request);

  // A line for stderr and the record.
  void Say(const std::string& line);
  // A line for the record only.
  void Note(const std::string& line) { Keep(line); }

  PollEventLoop& Loop() { return EventLoop; }
  TSocketLayer& Sockets() { return Layer; }
  THostInfoManager& HostInfo() { return *Lookups; }
  TLogFile* Record() const { return File; }
  // Whether a line could not be written to the record.
  bool RecordFailed() const { return FileFailed; }

 private:
  // Takes the endpoint's read notifications.
  class Notifications final : public TMessageTarget {
   public:
    explicit Notifications(Session& owner) : Owner(owner) {}
    long WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

   private:
    Session& Owner;
  };

  void OnUdpMessage(const std::string& line) override { Say(line); }
  void OnRequestSent(const PcAddress& from, std::span<const std::uint8_t> request) override;
  void OnPcAddressesChanged(ChoiceChange chosen, const PcAddress& lost) override;
  void Keep(const std::string& line);

  TLogFile* File;
  bool FileFailed = false;
  PollEventLoop EventLoop;
  PosixSocketLayer Layer{EventLoop};
  std::unique_ptr<THostInfoManager> Lookups;
  Notifications Window{*this};
  UdpEndpoint Udp;
  PcAddress Chosen;
  bool EntryLost = false;
  GatewayList Gateways;
};
