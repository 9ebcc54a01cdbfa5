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
#include "tests/support/memory_reply.h"
#include "tests/support/sample_record.h"

// The program on the in-memory window system and socket layer: start it, play user actions
// and network events in, read back controls, the debug list and the bytes sent.
using Texts = std::vector<std::string>;

class VelloraTest : public ::testing::Test {
 protected:
  MemoryWindowSystem ws;
  MemorySocketLayer sockets;
  std::unique_ptr<TSocketViewApp> app;

  VelloraTest() {
    sockets.Host.Entries = {OnInterface(192, 168, 1, 20, 2, "eth0"),
                            OnInterface(10, 0, 0, 7, 3, "wlan0")};
    sockets.Journal = &ws.Journal;
  }

  // `count` addresses a.b.c.1 and up, each on an interface of its own: eth1 and up.
  static std::vector<TInterfaceAddress> Addresses(unsigned a, unsigned b, unsigned c,
                                                  unsigned count) {
    std::vector<TInterfaceAddress> entries;
    for (unsigned i = 1; i <= count; ++i)
      entries.push_back(OnInterface(a, b, c, i, 10 + i, "eth" + std::to_string(i)));
    return entries;
  }

  // Runs the application's start-up, with the command line's options: main window, set-up,
  // first search.
  void Start(const StartOptions& options = {}) {
    app = std::make_unique<TSocketViewApp>("Vellora", ws, sockets, options);
    app->InitMainWindow();
  }

  // Starts with one module listed, its address in use 192.168.1.50, and the production
  // controls shown; with `connected`, its terminal is connected too.
  void StartWithModule(bool connected) {
    Start();
    GatewayRecord module = RecordWithMac(0x01);
    module.ActualIp = Ipv4::FromNumber(0xC0A80132);
    Reply(module);
    ws.Click(IdExpandButton);
    if (!connected) return;
    ws.Click(IdConnectButton);
    sockets.AcceptConnect(Tcp());
  }

  // The production controls shown and usable in the expanded form only: "Set MAC", "Set &&
  // Incr." with the new serial number, "Connect" and its state are shown, the MAC and server
  // edits enabled.
  void ExpectForm(bool expanded) const {
    for (int id : {IdSetMacButton, IdConnectButton, IdStateText, 11253, 11247, 11246, 11245,
                   IdSetIncrButton})
      EXPECT_EQ(ws.Get(id).Visible, expanded) << id;
    for (int id : kMacEditIds)
      EXPECT_EQ(ws.Get(id).Enabled, expanded) << id;
    EXPECT_EQ(ws.Get(IdServerEdit).Enabled, expanded);
    EXPECT_EQ(Text(IdExpandButton), expanded ? "<<" : ">>");
  }

  // The PC address list as shown, the chosen entry in brackets, and after '|' what the frame's
  // caption adds to the banner: "1: 10.0.0.1, [2: 10.0.0.2] | (IP 2: 10.0.0.2 )".
  static std::string PcChoice(const MemoryWindowSystem& windows) {
    const auto& list = windows.Get(IdPcIpCombo);
    std::string shown;
    for (std::size_t i = 0; i < list.Items.size(); ++i) {
      const bool chosen = static_cast<int>(i) == list.Selected;
      shown += (i == 0 ? "" : ", ") + (chosen ? "[" + list.Items[i] + "]" : list.Items[i]);
    }
    const std::string banner = "Quenlan V1.11 18.07.2008";
    const std::string& caption = windows.FrameCaption;
    return shown + " |" + (caption.starts_with(banner) ? caption.substr(banner.size()) : caption);
  }
  std::string PcChoice() const { return PcChoice(ws); }

  // The chosen PC address is gone: said, nothing bound to it and nothing of its network shown.
  void ExpectNoChoice() const {
    EXPECT_EQ(LastLine(), "Vellora: The chosen PC address is no longer available");
    EXPECT_EQ(sockets.OpenSocketObjects(), 0);
    EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008");
    EXPECT_EQ(ws.Get(IdPcIpCombo).Selected, -1);
    EXPECT_TRUE(Combo(IdGatewayCombo).empty());
    EXPECT_EQ(Text(IdGatewayCount), "0");
    EXPECT_EQ(Text(IdNameEdit), "");
  }

  Vellora& Dialog() const { return *app->MainDialog(); }
  MemorySocketLayer::SocketState& Udp() const { return *sockets.LastDatagramSocket(); }
  MemorySocketLayer::SocketState& Tcp() const { return *sockets.LastStreamSocket(); }

  std::string Text(int id) const { return ws.Get(id).Text; }
  // The texts of several controls, in the order given.
  template <typename Ids>
  Texts TextsOf(const Ids& ids) const {
    Texts texts;
    for (int id : ids)
      texts.push_back(Text(id));
    return texts;
  }
  Texts TextsOf(std::initializer_list<int> ids) const {
    return TextsOf<std::initializer_list<int>>(ids);
  }
  void Set(int id, const std::string& text) { ws.SetDlgItemText(id, text); }
  const std::vector<std::string>& DebugLines() const { return ws.Lines(IdDebugList); }
  std::string LastLine() const { return DebugLines().empty() ? "" : DebugLines().back(); }
  std::vector<std::string> Combo(int id) const { return ws.Get(id).Items; }
  // `n` ticks of the dialog's one-second timer.
  void Tick(int n = 1) {
    while (n-- > 0)
      ws.FireTimer(2300);
  }

  void Reply(const GatewayRecord& record, std::uint16_t fromPort = 8003) {
    DeliverReply(sockets, record, fromPort);
  }

  // The bytes of every datagram sent so far, on any socket.
  std::vector<std::vector<std::uint8_t>> SentBytes() const {
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& d : sockets.AllSent())
      out.push_back(d.Bytes);
    return out;
  }
  std::size_t SentCount() const { return sockets.AllSent().size(); }
  std::vector<std::uint8_t> LastSent() const {
    const auto all = SentBytes();
    return all.empty() ? std::vector<std::uint8_t>() : all.back();
  }
};

template <std::size_t N>
std::vector<std::uint8_t> AsVector(const std::array<std::uint8_t, N>& a) {
  return std::vector<std::uint8_t>(a.begin(), a.end());
}
