#include "tools/gateway_sim/tcp_line_server.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "protocol/gateway_record.h"
#include "tools/gateway_sim/log_line.h"
#include "tools/gateway_sim/sim_clock.h"
#include "tools/gateway_sim/socket_setup.h"

TcpLineServer::TcpLineServer(TEventLoop& loop, const TcpLineOptions& options,
                             const GatewayModel& model)
    : loop_(loop), options_(options), model_(model) {}

TcpLineServer::~TcpLineServer() {
  for (auto& client : clients_)
    Close(*client, nullptr);
  if (listenFd_ < 0) return;
  loop_.RemoveWatch(listenWatch_);
  close(listenFd_);
}

bool TcpLineServer::Open(Ipv4 ip, std::uint16_t port, const std::string& interface,
                         std::string& error) {
  listenFd_ = OpenBoundSocket(SOCK_STREAM, ip, port, interface, local_, error);
  if (listenFd_ < 0) return false;
  if (listen(listenFd_, 16) != 0) {
    error = std::string("listen: ") + std::strerror(errno);
    return false;
  }
  startMs_ = MonotonicMs();
  listenWatch_ = loop_.AddWatch(listenFd_, TEventLoop::WatchKind::Read, [this] { Accept(); });
  return true;
}

void TcpLineServer::Serve(Client& client) {
  const std::int64_t nowMs = MonotonicMs();
  // Queue and send in rounds, so a fast reader in flood mode gets more than one buffer per
  // pass without keeping the loop from the other sockets for long.
  for (int round = 0; round < 8 && !client.Closed; ++round) {
    Queue(client, nowMs);
    const std::size_t before = client.Head;
    Flush(client);
    if (client.Head < client.Tail || client.Head == before) break;
  }
  if (!client.Closed && client.Done && client.Head == client.Tail) Close(client, "done");
  if (client.Closed) return;
  loop_.EnableWatch(client.WriteWatch, WantsWritable(client));
  client.LineTimer->At(NextLineMs(client));
}

void TcpLineServer::Accept() {
  const std::int64_t nowMs = MonotonicMs();
  for (;;) {
    EraseClosed();  // a closed client no longer counts against the limit
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int fd = accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &length,
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;  // nothing more waiting, or a connection that died before accept
    if (clients_.size() >= static_cast<std::size_t>(options_.MaxClients)) {
      close(fd);
      LogLine("tcp-close")
          .Endpoint("from", peer)
          .Number("lines", 0)
          .Number("bytes", 0)
          .Add("reason", "refused")
          .Emit();
      continue;
    }
    clients_.push_back(std::make_unique<Client>());
    Client& client = *clients_.back();
    client.Fd = fd;
    client.Peer = peer;
    sockaddr_in local{};
    socklen_t localLength = sizeof local;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) == 0)
      client.LocalIp = Ipv4::FromNumber(ntohl(local.sin_addr.s_addr));
    client.StartMs = nowMs;
    client.NextLineMs = nowMs;
    client.ReadWatch =
        loop_.AddWatch(fd, TEventLoop::WatchKind::Read, [this, &client] { Discard(client); });
    client.WriteWatch =
        loop_.AddWatch(fd, TEventLoop::WatchKind::Write, [this, &client] { Serve(client); });
    client.LineTimer.emplace(loop_, [this, &client] { Serve(client); });
    LogLine("tcp-open").Endpoint("from", peer).Number("clients", clients_.size()).Emit();
    Serve(client);  // the first lines go out at once
  }
}

void TcpLineServer::Queue(Client& client, std::int64_t nowMs) {
  if (client.Done) return;
  char line[kMaxLine];
  switch (options_.Mode) {
    case TcpMode::Silent:
      return;
    case TcpMode::Close:
      while (client.Lines < static_cast<std::uint64_t>(options_.CloseAfter)) {
        if (!Append(client, line, StatusLine(client, nowMs, line, sizeof line))) return;
      }
      client.Done = true;
      return;
    case TcpMode::Status:
      if (nowMs < client.NextLineMs) return;
      // A client that does not read loses status lines rather than piling them up.
      Append(client, line, StatusLine(client, nowMs, line, sizeof line));
      client.NextLineMs += options_.IntervalMs;
      if (client.NextLineMs <= nowMs) client.NextLineMs = nowMs + options_.IntervalMs;
      return;
    case TcpMode::Flood: {
      std::uint64_t due = ~0ull;
      if (options_.Rate > 0)
        due = static_cast<std::uint64_t>(nowMs - client.StartMs) *
                  static_cast<std::uint64_t>(options_.Rate) / 1000 +
              1;
      while (client.Lines < due) {
        if (!Append(client, line, FloodLine(client.Lines + 1, line))) return;
      }
      return;
    }
  }
}

bool TcpLineServer::Append(Client& client, const char* text, std::size_t length) {
  if (client.Head == client.Tail) client.Head = client.Tail = 0;
  if (client.Tail + length > kOutBuffer && client.Head > 0) {
    std::memmove(client.Out.data(), client.Out.data() + client.Head, client.Tail - client.Head);
    client.Tail -= client.Head;
    client.Head = 0;
  }
  if (client.Tail + length > kOutBuffer) return false;
  std::memcpy(client.Out.data() + client.Tail, text, length);
  client.Tail += length;
  ++client.Lines;
  return true;
}

std::size_t TcpLineServer::StatusLine(const Client& client, std::int64_t nowMs, char* out,
                                      std::size_t size) const {
  // Speaks for the gateway whose address in use the client connected to, else the first one.
  const auto& gateways = model_.Gateways();
  const SimGateway* gateway = &gateways.front();
  for (const SimGateway& g : gateways)
    if (g.Setup.Record.ActualIp == client.LocalIp) gateway = &g;
  char mac[kMacTextSize];
  FormatMacText(gateway->Setup.Record.Mac, mac);
  char name[sizeof gateway->Setup.Record.Name];
  std::memcpy(name, gateway->Setup.Record.Name, sizeof name);
  name[sizeof name - 1] = '\0';
  for (char& c : name)  // a control character in a name set over the network must not end the line
    if (c != '\0' && static_cast<unsigned char>(c) < 0x20) c = '?';
  const int length =
      std::snprintf(out, size, "%s (%s) status line %" PRIu64 ", up %" PRId64 " s\r\n", name, mac,
                    client.Lines + 1, (nowMs - startMs_) / 1000);
  return length < 0                                ? 0
         : static_cast<std::size_t>(length) < size ? static_cast<std::size_t>(length)
                                                   : size - 1;
}

std::size_t TcpLineServer::FloodLine(std::uint64_t number, char* out) const {
  // "00000042 ABCDEFG...": the line number, then a repeating alphabet up to the line length.
  const auto length = static_cast<std::size_t>(options_.LineLength);
  char digits[24];
  std::snprintf(digits, sizeof digits, "%08" PRIu64 " ", number % 100000000);
  for (std::size_t i = 0; i < length; ++i)
    out[i] = i < 9 ? digits[i] : static_cast<char>('A' + (i - 9) % 26);
  out[length] = '\r';
  out[length + 1] = '\n';
  return length + 2;
}

void TcpLineServer::Flush(Client& client) {
  while (client.Head < client.Tail) {
    const ssize_t sent = send(client.Fd, client.Out.data() + client.Head, client.Tail - client.Head,
                              MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) Close(client, "error");
      return;
    }
    client.Head += static_cast<std::size_t>(sent);
    client.Bytes += static_cast<std::uint64_t>(sent);
  }
}

void TcpLineServer::Discard(Client& client) {
  // The line port is send-only; whatever a client sends is read and dropped.
  char scratch[4096];
  for (;;) {
    const ssize_t got = recv(client.Fd, scratch, sizeof scratch, MSG_DONTWAIT);
    if (got > 0) continue;
    if (got == 0) {
      Close(client, "peer");
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      Close(client, "error");
    }
    return;
  }
}

void TcpLineServer::Close(Client& client, const char* reason) {
  if (client.Closed) return;
  loop_.RemoveWatch(client.ReadWatch);
  loop_.RemoveWatch(client.WriteWatch);
  client.LineTimer->At(-1);
  close(client.Fd);
  client.Fd = -1;
  client.Closed = true;
  if (reason == nullptr) return;  // the simulator stops: no line
  LogLine("tcp-close")
      .Endpoint("from", client.Peer)
      .Number("lines", client.Lines)
      .Number("bytes", client.Bytes)
      .Add("reason", reason)
      .Emit();
  // Closed from a callback of its own, the client may be forgotten only after it.
  if (erasePosted_) return;
  erasePosted_ = true;
  loop_.Post([this] {
    erasePosted_ = false;
    EraseClosed();
  });
}

void TcpLineServer::EraseClosed() {
  std::erase_if(clients_, [](const std::unique_ptr<Client>& c) { return c->Closed; });
}

bool TcpLineServer::WantsWritable(const Client& client) const {
  // An unpaced flood refills whenever the socket takes more.
  return client.Head < client.Tail ||
         (options_.Mode == TcpMode::Flood && options_.Rate <= 0 && !client.Done);
}

std::int64_t TcpLineServer::NextLineMs(const Client& client) const {
  switch (options_.Mode) {
    case TcpMode::Status:
      // Due whether or not the client reads: one that does not loses lines.
      return client.NextLineMs;
    case TcpMode::Flood: {
      if (options_.Rate <= 0 || client.Head < client.Tail) return -1;  // the socket paces it
      const auto rate = static_cast<std::uint64_t>(options_.Rate);
      return client.StartMs + static_cast<std::int64_t>((client.Lines * 1000 + rate - 1) / rate);
    }
    default:
      return -1;
  }
}
