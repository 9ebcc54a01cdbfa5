#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/memory/memory_socket_layer.h"
#include "tests/support/memory_reply.h"
#include "tests/support/qt_program.h"

// The real program in the real window, offscreen, on in-memory sockets: a PC with the
// addresses 192.168.1.20 and 10.0.0.7.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sockets.Host.Entries = {OnInterface(192, 168, 1, 20, 2, "eth0"),
                            OnInterface(10, 0, 0, 7, 3, "wlan0")};
    program = std::make_unique<QtProgram>(sockets);
  }
  void TearDown() override { program.reset(); }
  void Reply(const GatewayRecord& record) { DeliverReply(sockets, record); }

  MemorySocketLayer sockets;
  std::unique_ptr<QtProgram> program;
};
