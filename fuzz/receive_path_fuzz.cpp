// Arbitrary byte chunks from a connected module into the terminal's receive path and the debug
// list, with the operator's "Clear" and a reconnect mixed in. The program runs on the in-memory
// platform. Whatever arrives, the list never holds more than 501 lines, no listed line holds a
// CR or more than 298 characters, a reconnect drops the partial line, and every byte is counted.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/socket_view_app.h"
#include "platform/memory/memory_socket_layer.h"
#include "platform/memory/memory_window_system.h"
#include "protocol/messages.h"
#include "resources/control_ids.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void Connect(MemorySocketLayer& sockets, MemoryWindowSystem& ws) {
  ws.Click(IdConnectButton);
  sockets.AcceptConnect(*sockets.LastStreamSocket());
  Check(ws.Get(IdStateText).Text == "State: Connected");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryWindowSystem ws;
  MemorySocketLayer sockets;
  sockets.Host.Entries = {OnInterface(192, 168, 1, 20, 2, "eth0")};
  TSocketViewApp app("Vellora", ws, sockets);
  app.InitMainWindow();
  ws.Click(IdExpandButton);

  GatewayRecord module = kEmptyGatewayRecord;
  module.Mac[0] = 0x02;
  module.ActualIp = Ipv4::FromNumber(0xC0A80132);
  const auto reply = BuildGatewayInfoReply(module);
  sockets.Deliver(*sockets.LastDatagramSocket(), {reply.begin(), reply.end()},
                  Ipv4(192, 168, 1, 50), 8003);
  Connect(sockets, ws);

  // Each chunk: one control byte (low 6 bits + 1 = chunk length; top bits choose an action
  // after the chunk), then the chunk's bytes.
  std::uint32_t expected = 0;
  std::size_t at = 0;
  while (at < size) {
    const std::uint8_t control = data[at++];
    const std::size_t length = std::min<std::size_t>((control & 0x3F) + 1, size - at);
    const std::string chunk(reinterpret_cast<const char*>(data + at), length);
    at += length;
    sockets.DeliverStream(*sockets.LastStreamSocket(), chunk);
    expected += static_cast<std::uint32_t>(length);
    if ((control & 0xC0) == 0x40) ws.Click(IdClearListButton);
    if ((control & 0xC0) == 0x80) {
      ws.Click(IdConnectButton);  // disconnect: the partial line goes
      Connect(sockets, ws);
      ws.Click(IdClearListButton);
      sockets.DeliverStream(*sockets.LastStreamSocket(), "\r");
      expected += 1;
      Check(ws.Lines(IdDebugList) == std::vector<std::string>{""});
    }
    if ((control & 0xC0) == 0xC0) {
      ws.FireTimer(2300);
      Check(ws.Get(IdReceiveTotal).Text == std::to_string(expected));
    }
    Check(ws.Lines(IdDebugList).size() <= 501);
  }
  for (const std::string& line : ws.Lines(IdDebugList)) {
    Check(line.size() <= 298 || line.rfind("Vellora: ", 0) == 0);
    Check(line.find('\r') == std::string::npos && line.find('\0') == std::string::npos);
  }
  return 0;
}
