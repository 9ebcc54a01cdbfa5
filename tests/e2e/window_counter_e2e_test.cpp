// The window with --serial-file and vellora-cli assign as two stations of one PC, sharing one
// counter file while both give MACs at once, each on its own wire: no number twice on the
// wires, none skipped.
#include <set>
#include <thread>

#include "platform/posix/serial_counter.h"
#include "protocol/text_values.h"
#include "resources/control_ids.h"
#include "tests/e2e/cli_line_lab.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr int kEach = 5;  // MACs given by each station

class WindowCounterE2eTest : public CliLineLab {};

TEST_F(WindowCounterE2eTest, TheWindowAndAssignShareTheCounterWithoutANumberTwice) {
  ASSERT_NO_FATAL_FAILURE(StartSimulatorA());
  ASSERT_NO_FATAL_FAILURE(StartSimulatorB());
  TempFolder folder;
  const std::string path = folder / "serial";
  WriteFileBytes(path, "1000\n");
  SerialCounter counter(path);
  StartOptions options;
  options.Counter = &counter;
  ASSERT_NO_FATAL_FAILURE(StartWindow(Pc, options));
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));
  ASSERT_TRUE(Program->Widget(IdExpandButton) != nullptr);
  Program->Click(IdExpandButton);

  // The script on the other wire assigns its MACs while the window gives its own.
  std::vector<ChildResult> assigned;
  std::thread script([&] {
    for (int i = 0; i < kEach; ++i)
      assigned.push_back(RunChild(Pc, CliCommand({"assign", "--only", "--prefix", "02:00:00",
                                                  "--serial-file", path, "--interface", "pb"})));
  });
  std::vector<std::string> window;  // the window's SetMacRequests, as module A's wire took them
  for (int i = 0; i < kEach; ++i) {
    Program->Click(IdSearchButton);
    EXPECT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));
    Program->Click(IdSetIncrButton);
    window.push_back(Received(*SimA, "SetMacRequest"));
    EXPECT_FALSE(window.back().empty()) << testing::PrintToString(Program->DebugLines());
  }
  script.join();

  std::set<std::string> given;
  for (const std::string& line : window)
    EXPECT_TRUE(given.insert(Field(line, "new-mac")).second) << "twice: " << line;
  for (const ChildResult& run : assigned) {
    EXPECT_EQ(run.Status, 0) << run.Err;
    const std::string line = SimB->TakeLine("rx", {"cmd=SetMacRequest"});
    EXPECT_TRUE(given.insert(Field(line, "new-mac")).second) << "twice: " << line;
  }
  // Every number from 1000 on, once.
  std::set<std::string> expected;
  for (std::uint32_t serial = 1000; serial < 1000 + 2 * kEach; ++serial)
    expected.insert(
        Format("02 00 00 %02X %02X %02X", serial >> 16, (serial >> 8) & 0xFF, serial & 0xFF));
  EXPECT_EQ(given, expected);
  EXPECT_EQ(ReadFileBytes(path), std::to_string(1000 + 2 * kEach) + "\n");
}

}  // namespace
