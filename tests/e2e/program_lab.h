#pragma once

// The program in network namespaces, against the gateway simulator:
//
//   PC namespace                                 gateway namespaces
//   pa 10.88.1.1/24, 10.88.1.2/24 (secondary) <--> ga 10.88.1.100/24 in A: three modules,
//                                                  addresses in use 10.88.1.50..52
//   pb 10.88.2.1/24 (no broadcast attribute)  <--> gb 10.88.2.100/24 in B: one module,
//                                                  address in use 10.88.2.50
//
// The namespaces live for the test suite; each test starts its simulators and the program
// (real Qt window offscreen, real sockets) and ends them. The test thread runs inside the PC
// namespace while the program lives, so every socket and address list of the program is the
// PC namespace's.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/posix/posix_socket_layer.h"
#include "platform/qt/qt_event_loop.h"
#include "tests/support/child_checks.h"
#include "tests/support/netns.h"
#include "tests/support/qt_program.h"
#include "tests/support/sample_record.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_folder.h"

class ProgramLab : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Starts the simulators with their interface, modules (A: three, unless `extra` says how
  // many) and addresses, plus `extra`.
  void StartSimulatorA(const std::vector<std::string>& extra = {});
  void StartSimulatorB(const std::vector<std::string>& extra = {});
  // Starts the program with the options inside the PC namespace (or another), the test thread
  // with it; its first search leaves at once. With a line database its connection runs on the
  // program's event loop.
  void StartProgram(const std::string& netns = {}, StartOptions options = {});
  // Closes the program and leaves the PC namespace.
  void EndProgram();
  // Simulator A with `extra`, then the program, until it lists A's three modules.
  void StartWithModules(const std::vector<std::string>& extra = {});

  // Runs the program's event loop (and reads the simulators' output) until the condition
  // holds; false when it never did within the bound.
  bool Until(const std::function<bool()>& condition, int boundMs = 10000);
  // The simulator's next line of a received request of this command, while the program runs.
  std::string Received(SimProcess& sim, const std::string& command, int boundMs = 5000);
  // The simulator's lines of the requests of the command not yet taken, each taken: those it
  // printed until none came within the bound.
  static std::vector<std::string> Requests(SimProcess& sim, const std::string& command,
                                           int boundMs = 300);
  // What the simulator heard (its "rx", "malformed" and "tcp-open" lines not yet taken) before
  // a one-byte datagram that the test sends now from `netns` (the PC's) out of `device` to the
  // simulator at `address`: silence shown by an event rather than by a time that passed.
  std::vector<std::string> HeardBefore(SimProcess& sim, const std::string& device,
                                       const std::string& address, const std::string& netns = {});
  // The port of the line's "from=ADDRESS:PORT".
  static std::uint16_t FromPort(const std::string& line);
  // A module's reply played by the test: sent from `address`:8003 out of `device` in `netns`,
  // to `port` of the limited broadcast address or of `to`.
  static void SendReply(const std::string& netns, const std::string& device,
                        const std::string& address, std::uint16_t port, const GatewayRecord& record,
                        const std::string& to = "255.255.255.255");
  // Module 1 of simulator A as it starts.
  static GatewayRecord ModuleOne();
#ifdef VELLORA_CLI_PATH
  // The command line of vellora-cli with the arguments, its environment without VELLORA_LINE
  // but with `env` ("NAME=value").
  static std::vector<std::string> CliCommand(std::vector<std::string> args,
                                             const std::vector<std::string>& env = {}) {
    std::vector<std::string> command = {"/usr/bin/env", "-u", "VELLORA_LINE"};
    command.insert(command.end(), env.begin(), env.end());
    command.push_back(VELLORA_CLI_PATH);
    command.insert(command.end(), args.begin(), args.end());
    return command;
  }
  // Such a run in the PC namespace, to its end.
  static ChildResult Cli(std::vector<std::string> args, const std::vector<std::string>& env = {}) {
    return RunChild(Pc, CliCommand(std::move(args), env));
  }
#endif

  static std::unique_ptr<NamespaceLab> Lab;
  static std::string Pc, GwA, GwB;

  TempFolder Folder;
  std::unique_ptr<SimProcess> SimA, SimB;
  std::string ProgramNetns;  // where the program runs
  std::unique_ptr<InNamespace> Inside;
  std::unique_ptr<QtEventLoop> Loop;
  std::unique_ptr<PosixSocketLayer> Sockets;
  std::unique_ptr<QtProgram> Program;
};

// Runs the commands when the scope ends, so that a failed test leaves the shared namespaces
// as it found them.
struct Restore {
  std::vector<std::string> Commands;
  ~Restore() {
    for (const std::string& command : Commands)
      Shell(command);
  }
};

// The value of key=... in a simulator line.
std::string Field(const std::string& line, const std::string& key);

// The lines of a text.
std::vector<std::string> Lines(const std::string& text);

// The lines of the user guide's block "```sh TAG" (docs/user-guide.md of the sources the tests
// were built from): the commands as users read them.
std::vector<std::string> GuideBlock(const std::string& tag);
