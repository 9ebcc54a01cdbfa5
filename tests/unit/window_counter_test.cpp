// The window with --serial-file: the four serial edits show the counter's next number and take
// no typing, Set & Incr. takes its number from the counter under its lock, never from the edits,
// and a refused MAC or an unreadable counter leaves the counter and the wire as they were.
#include "platform/posix/serial_counter.h"
#include "tests/support/temp_folder.h"
#include "tests/support/vellora_fixture.h"

namespace {

class WindowCounterTest : public VelloraTest {
 protected:
  // The window on the counter, with module 02 00 00 00 00 01 listed and the controls shown.
  void StartOnCounter() {
    StartOptions options;
    options.Counter = &counter;
    Start(options);
    Reply(RecordWithMac(0x01));
    ws.Click(IdExpandButton);
  }
  std::string Serial() const {
    std::string pairs;
    for (int id : kSerialEditIds)
      pairs += (id == kSerialEditIds[0] ? "" : " ") + Text(id);
    return pairs;
  }
  std::size_t SetMacsSent() const {
    std::size_t count = 0;
    for (const auto& bytes : SentBytes())
      count += bytes[1] == CmdSetMacRequest ? 1 : 0;
    return count;
  }

  TempFolder folder;
  // A name in UTF-8, as the file system has it; the window shows it in Windows-1252.
  const std::string path = folder / "z\xC3\xA4hler";
  const std::string shown = folder / "z\xE4hler";
  SerialCounter counter{path};
};

TEST_F(WindowCounterTest, SetAndIncrTakesTheCountersNumberAndTheEditsShowTheNext) {
  WriteFileBytes(path, "41\n");
  StartOnCounter();
  EXPECT_EQ(Serial(), "00 00 00 41");
  for (int id : kSerialEditIds) {
    EXPECT_FALSE(ws.Get(id).Enabled) << id;
    EXPECT_EQ(ws.Type(id, "9"), 0) << id;
    EXPECT_NE(ws.Get(id).ToolTip.find("The next serial number in " + shown), std::string::npos);
  }
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(NewMacOf(LastSent()), (MacAddress{0x02, 0x00, 0x00, 0x00, 0x00, 0x29}));
  EXPECT_EQ(ReadFileBytes(path), "42\n");
  EXPECT_EQ(Serial(), "00 00 00 42");
  // Another station on the PC takes numbers: the edits follow at the next tick.
  WriteFileBytes(path, "16777215\n");
  Tick();
  EXPECT_EQ(Serial(), "16 77 72 15");
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(NewMacOf(LastSent()), (MacAddress{0x02, 0x00, 0x00, 0xFF, 0xFF, 0xFF}));
  // The largest was given; the next cannot be.
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(DebugLines().back(),
            "Vellora: Set & Incr. not sent, serial number 16777216 is above the largest, "
            "16777215 (FF FF FF)");
  EXPECT_EQ(SetMacsSent(), 2u);
  EXPECT_EQ(ReadFileBytes(path), "16777216\n");
}

TEST_F(WindowCounterTest, ARefusedMacOrAnUnreadableCounterLeavesTheCounterAndTheWireAsTheyWere) {
  WriteFileBytes(path, "2\n");
  StartOnCounter();
  Reply(RecordWithMac(0x02));  // 02 00 00 00 00 02 answers: the counter's MAC is in use
  ws.Click(IdSetIncrButton);
  EXPECT_NE(DebugLines().back().find("02 00 00 00 00 02 is in use"), std::string::npos)
      << DebugLines().back();
  EXPECT_EQ(ReadFileBytes(path), "2\n");
  ws.SetDlgItemText(kMacEditIds[2], "");
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(DebugLines().back(), "Vellora: Set & Incr. not sent, MAC byte 3 is empty");
  EXPECT_EQ(ws.FocusId, kMacEditIds[2]);

  WriteFileBytes(path, "42 junk\n");
  Tick();
  EXPECT_EQ(Serial(), "   ");
  EXPECT_NE(ws.Get(kSerialEditIds[0]).ToolTip.find("holds \"42 junk\\x0A\""), std::string::npos)
      << ws.Get(kSerialEditIds[0]).ToolTip;
  ws.SetDlgItemText(kMacEditIds[2], "00");
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(DebugLines().back(), "Vellora: " + shown +
                                     " holds \"42 junk\\x0A\", not a serial number (decimal "
                                     "digits, then nothing but blanks and a line end)");
  EXPECT_EQ(SetMacsSent(), 0u);
  EXPECT_EQ(ReadFileBytes(path), "42 junk\n");
}

}  // namespace
