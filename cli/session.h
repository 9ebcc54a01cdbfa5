#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "platform/log_file.h"
#include "platform/posix/poll_event_loop.h"
#include "platform/posix/posix_socket_layer.h"
#include "station/station_io.h"
#include "udp/found_modules.h"
#include "udp/start_choice.h"
#include "udp/udp_endpoint.h"

// One run of a command: the event loop, the POSIX sockets, the PC address it works from and the
// UDP endpoint on it. Messages go to stderr and to the record, when there is one; a request
// that changes a module leaves only after its line is on disk in the record. Results go to
// stdout; a result that cannot be written there fails the command.
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
  Ipv4 Address() const { return Chosen.Address; }
  // The chosen entry left the PC (its address left its interface, or the interface went).
  bool Lost() const { return EntryLost; }
  // Reads the PC's addresses again: Lost() says whether the entry is still there, and the
  // entry's carrier is as the PC reports it now.
  void Refresh();
  // From now on the entry's loss is noticed when the system tells of it, and `lost` runs.
  void WatchEntry(std::function<void()> lost);

  // How a search ends: after `Wait` at the latest; with `Sought`, once it holds for what
  // answered, and `Grace` later (for replies that come with the one sought).
  struct SearchEnd {
    std::chrono::milliseconds Wait;
    std::function<bool(const FoundModules&)> Sought;
    std::chrono::milliseconds Grace{0};
  };
  // Sends a search and takes every module that answers, each with its first reply.
  const FoundModules& Search(const SearchEnd& end);
  const FoundModules& Found() const { return Modules; }
  // False when the request did not leave (the reason is said). Prepare records the request
  // (on disk, for one that changes a module) and Transmit sends it; Send does both.
  bool Send(std::span<const std::uint8_t> request) { return Udp.SendDatagram(request); }
  bool Prepare(std::span<const std::uint8_t> request) { return Udp.PrepareRequest(request); }
  bool Transmit(std::span<const std::uint8_t> request) { return Udp.TransmitRequest(request); }

  // A line for stderr and the record; control characters shown escaped.
  void Say(const std::string& line);
  // A line for the record only.
  void Note(const std::string& line) { Keep(line); }
  // A line for the record, on disk when it returns true; false says why on stderr.
  bool NoteDurably(const std::string& line);
  // A result line for stdout; false once stdout cannot take it (the reason is kept).
  bool Print(const std::string& line);
  // The exit status of a command that ended with `status`: 1 instead of 0 when the record
  // misses lines or stdout missed results, each said on stderr.
  int Finish(int status);

  // The session as a station's writes use it: its lines, its record and its socket.
  StationIo Io();

  PollEventLoop& Loop() { return EventLoop; }
  TSocketLayer& Sockets() { return Layer; }

 private:
  void OnUdpMessage(const std::string& line) override { Say(line); }
  void OnDatagramWaiting() override;
  bool OnRequestLeaving(const PcAddress& from, std::span<const std::uint8_t> request) override;
  void OnPcAddressesChanged(ChoiceChange chosen, const PcAddress& lost) override;
  void Keep(const std::string& line);
  void TickEverySecond();

  TLogFile* File;
  std::string FileError;    // why a line could not be written to the record; empty: none failed
  std::string OutputError;  // why a result could not be written to stdout
  PollEventLoop EventLoop;
  PosixSocketLayer Layer{EventLoop};
  UdpEndpoint Udp;
  PcAddress Chosen;
  bool EntryLost = false;
  std::function<void()> WhenLost;
  FoundModules Modules;
};
