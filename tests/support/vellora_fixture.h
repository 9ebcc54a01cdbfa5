#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/socket_view_app.h"
#include "platform/memory/memory_socket_layer.h"
#include "platform/memory/memory_window_system.h"
#include "protocol/messages.h"
#include "resources/control_ids.h"
#include "resources/dialog_11000.h"
#include "tests/support/sample_record.h"

// The program on the in-memory window system and socket layer: start it, play user actions
// and network events in, read back controls, the debug list and the bytes sent.
class VelloraTest : public ::testing::Test {
 protected:
  MemoryWindowSystem ws;
  MemorySocketLayer sockets;
  std::unique_ptr<TSocketViewApp> app;

  VelloraTest() {
    sockets.Host.Addresses = {NetworkAddress(192, 168, 1, 20), NetworkAddress(10, 0, 0, 7)};
    sockets.Journal = &ws.Journal;
  }

  // Runs the application's start-up: main window, set-up, first search.
  void Start() {
    app = std::make_unique<TSocketViewApp>("Vellora", ws, sockets);
    app->InitMainWindow();
  }

  Vellora& Dialog() const { return *app->MainDialog(); }
  MemorySocketLayer::SocketState& Udp() const { return *sockets.LastDatagramSocket(); }
  MemorySocketLayer::SocketState& Tcp() const { return *sockets.LastStreamSocket(); }

  std::string Text(int id) const { return ws.Get(id).Text; }
  const std::vector<std::string>& DebugLines() const { return ws.Lines(IdDebugList); }
  std::vector<std::string> Combo(int id) const { return ws.Get(id).Items; }
  // One tick of the dialog's one-second timer.
  void Tick() { ws.FireTimer(2300); }

  // Delivers the record's reply on the current UDP socket, from port 8003 by default.
  void Reply(const GatewayRecord& record, std::uint16_t fromPort = 8003) {
    const auto bytes = BuildGatewayInfoReply(record);
    sockets.Deliver(Udp(), std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                    NetworkAddress(192, 168, 1, 99), fromPort);
  }

  // The bytes of every datagram sent so far, on any socket.
  std::vector<std::vector<std::uint8_t>> SentBytes() const {
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& d : sockets.AllSent())
      out.push_back(d.Bytes);
    return out;
  }
  std::vector<std::uint8_t> LastSent() const {
    const auto all = SentBytes();
    return all.empty() ? std::vector<std::uint8_t>() : all.back();
  }
};

template <std::size_t N>
std::vector<std::uint8_t> AsVector(const std::array<std::uint8_t, N>& a) {
  return std::vector<std::uint8_t>(a.begin(), a.end());
}
