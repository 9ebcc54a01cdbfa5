#pragma once

// Runs the gateway simulator as a child process, on loopback or inside a network namespace,
// and talks to it: reads its stdout lines, sends requests from a UDP socket on 127.0.0.1 and
// receives the answers. Every wait is a poll() with a deadline on the thing expected.

#include <netinet/in.h>
#include <sys/types.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/messages.h"

class SimProcess {
 public:
  // Starts the simulator with --bind 127.0.0.1 --udp-port 0 --tcp-port 0 and `extra`, and
  // waits for its "ready" line.
  explicit SimProcess(const std::vector<std::string>& extra);
  // Starts the simulator inside the network namespace with exactly `args`, and waits for its
  // "ready" line.
  SimProcess(const std::string& netns, const std::vector<std::string>& args);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  bool Ready() const { return udp_.sin_port != 0; }
  const sockaddr_in& Udp() const { return udp_; }
  const sockaddr_in& Tcp() const { return tcp_; }

  // The first line not yet taken that holds `event` as its second word and every one of
  // `parts`; it is taken. Empty when none came within `timeoutMs`.
  std::string TakeLine(std::string_view event, std::initializer_list<std::string_view> parts,
                       int timeoutMs = 2000);
  // Reads whatever the simulator printed meanwhile, waiting at most `timeoutMs` for it.
  void Pump(int timeoutMs);
  int StdoutFd() const { return out_; }

  // Sends `signal` and returns the exit status (-1 if it had to be killed).
  int Stop(int signal);

 private:
  void Launch(std::vector<std::string> args);

  pid_t pid_ = -1;
  int out_ = -1;
  std::string partial_;
  std::vector<std::string> lines_;
  std::vector<bool> taken_;
  sockaddr_in udp_{};
  sockaddr_in tcp_{};
};

struct ReceivedDatagram {
  std::vector<std::uint8_t> Bytes;
  sockaddr_in From{};
};

class UdpClient {
 public:
  UdpClient();  // bound to 127.0.0.1, any port
  ~UdpClient();
  UdpClient(const UdpClient&) = delete;
  UdpClient& operator=(const UdpClient&) = delete;

  void Send(const sockaddr_in& to, const std::uint8_t* bytes, std::size_t count);
  template <std::size_t N>
  void Send(const sockaddr_in& to, const std::array<std::uint8_t, N>& bytes) {
    Send(to, bytes.data(), N);
  }

  // Receives until `count` datagrams are in or `timeoutMs` has passed, reading the
  // simulator's stdout meanwhile so it never blocks on a full pipe.
  std::vector<ReceivedDatagram> Receive(SimProcess& sim, std::size_t count, int timeoutMs = 2000);
  // Whatever is already queued on the socket, without waiting.
  std::vector<ReceivedDatagram> Drain();

  // Makes sure that everything the simulator sent at once for earlier requests is queued on
  // this socket: sends a one-byte datagram and waits for its "malformed" line, which the
  // simulator prints only after sending what the earlier requests made due.
  void Barrier(SimProcess& sim);

 private:
  int fd_ = -1;
};

// The information reply in `d` decoded with the tool's own parser, after checking that it came
// from the simulator's UDP port (which is not 8003 on loopback).
bool ParseFromSim(const SimProcess& sim, const ReceivedDatagram& d, ParsedReply& out);

// A record addressing the gateway with this MAC, for the request builders.
GatewayRecord RecordFor(const std::uint8_t (&mac)[6]);

// Connects a TCP client to the simulator; returns the socket or -1.
int ConnectTcp(const SimProcess& sim);
// Reads from `fd` until `bytes` holds at least `count` bytes, the peer closes or the deadline
// passes, pumping the simulator's stdout meanwhile. Returns false when the peer closed.
bool ReadTcp(SimProcess& sim, int fd, std::string& bytes, std::size_t count, int timeoutMs);
