// How the window starts when the command line asks: the PC address asked for, the expanded
// form, and the record on disk of the debug list and every request sent.
#include "tests/support/vellora_fixture.h"

namespace {

// A log file that keeps its lines, or refuses them.
struct KeptLines final : TLogFile {
  Texts Lines;
  Texts OnDisk;  // the lines that had to be on disk before the call returned
  bool Broken = false;

 private:
  bool Store(const std::string& text, Durability durability, std::string& error) override {
    if (Broken) {
      error = "No space left on device";
      return false;
    }
    Lines.push_back(text);
    if (durability == Durability::OnDisk) OnDisk.push_back(text);
    return true;
  }
};

using StartOptionsTest = VelloraTest;

TEST_F(StartOptionsTest, TheAddressAskedForIsChosenAndNoOtherWhenItIsMissing) {
  StartOptions options;
  options.PcEntry = OnInterface(10, 0, 0, 7, 3, "wlan0");
  options.Expanded = true;
  Start(options);
  EXPECT_EQ(Udp().Own.GetAddress(), Ipv4(10, 0, 0, 7));
  EXPECT_EQ(ws.FrameCaption, "Quenlan V1.11 18.07.2008 (IP 2: 10.0.0.7 )");
  ExpectForm(true);

  // Gone by the time the window opens: nothing is bound, until that very address comes.
  MemoryWindowSystem windows;
  MemorySocketLayer layer;
  layer.Host.Entries = {OnInterface(192, 168, 1, 20, 2, "eth0")};
  TSocketViewApp later("Vellora", windows, layer, options);
  later.InitMainWindow();
  EXPECT_EQ(layer.LastDatagramSocket(), nullptr);
  EXPECT_EQ(
      windows.Lines(IdDebugList),
      Texts{"Vellora: The PC address 10.0.0.7 on wlan0 asked for is not on this PC, no search "
            "possible"});
  // Another address, or that address on another interface, is not the one asked for.
  layer.ChangeAddresses(
      {OnInterface(192, 168, 1, 20, 2, "eth0"), OnInterface(10, 0, 0, 7, 4, "eth1")});
  EXPECT_EQ(layer.LastDatagramSocket(), nullptr);
  layer.ChangeAddresses(
      {OnInterface(192, 168, 1, 20, 2, "eth0"), OnInterface(10, 0, 0, 7, 3, "wlan0")});
  EXPECT_EQ(layer.LastDatagramSocket()->Own.GetAddress(), Ipv4(10, 0, 0, 7));
  EXPECT_EQ(layer.LastDatagramSocket()->InterfaceIndex, 3u);
}

TEST_F(StartOptionsTest, TheRecordHoldsEveryDebugLineAndEveryRequestSent) {
  KeptLines record;
  StartOptions options;
  options.Record = &record;
  Start(options);
  Reply(SampleRecord());
  ws.Click(IdExpandButton);
  for (int id : kSerialEditIds)
    ws.SetDlgItemText(id, "16");
  ws.SetDlgItemText(kSerialEditIds[2], "");
  ws.Click(IdSetIncrButton);
  ws.SetDlgItemText(kSerialEditIds[2], "16");
  ws.Click(IdSetIncrButton);
  ws.Type(IdEepromAddressEdit, "1F0");
  ws.Type(IdEepromValueEdit, "A5");
  ws.Click(IdSetEepromButton);
  EXPECT_EQ(record.Lines,
            (Texts{"request from=192.168.1.20 interface=eth0 command=SearchRequest "
                   "target=\"00 00 00 00 00 00\"",
                   "Vellora: Set & Incr. not sent, new serial number pair 3 is empty",
                   "request from=192.168.1.20 interface=eth0 command=SetMacRequest "
                   "target=\"02 00 00 12 34 56\" "
                   "new-mac=\"02 00 00 F6 9B 50\" serial=16161616",
                   "request from=192.168.1.20 interface=eth0 command=SetEepromRequest "
                   "target=\"02 00 00 12 34 56\" "
                   "address=0x01F0 value=0xA5"}));

  // The requests that change a module were on disk before they left; the search need not be.
  EXPECT_EQ(record.OnDisk, Texts(record.Lines.end() - 2, record.Lines.end()));

  // The record can no longer be written: a request that changes a module does not leave, the
  // running number does not move, and each failure is said.
  record.Broken = true;
  const std::size_t sent = sockets.AllSent().size();
  ws.Click(IdSetEepromButton);
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(sockets.AllSent().size(), sent);
  EXPECT_EQ(Text(kSerialEditIds[3]), "17");
  EXPECT_EQ(Texts(DebugLines().end() - 2, DebugLines().end()),
            (Texts{"Vellora: SetEepromRequest not sent: the record file cannot "
                   "be written (No space left on device)",
                   "Vellora: SetMacRequest not sent: the record file cannot be "
                   "written (No space left on device)"}));
  // A search still goes, and the line missing from the record is said, each time.
  for (int i = 0; i < 2; ++i) {
    ws.Click(IdSearchButton);
    EXPECT_EQ(DebugLines().back(),
              "Vellora: The record file cannot be written (No space left on device); a line is "
              "missing from it");
  }
  EXPECT_EQ(sockets.AllSent().size(), sent + 2);
}

}  // namespace
