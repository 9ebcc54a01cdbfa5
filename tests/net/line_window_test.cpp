// The window as a station of a line (--line), on the in-memory window system and sockets,
// against the test's own PostgreSQL server: the serial edits show the pool's next number and
// take no typing, Set & Incr. takes its number once however often it is pressed, every write
// has its row with the bytes that left, and nothing leaves while the server is down or after a
// connection lost between the take and the send.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "app/socket_view_app.h"
#include "platform/memory/memory_socket_layer.h"
#include "platform/memory/memory_window_system.h"
#include "protocol/messages.h"
#include "resources/control_ids.h"
#include "tests/support/line_lab.h"
#include "tests/support/line_rows.h"
#include "tests/support/memory_reply.h"
#include "tests/support/sample_record.h"

namespace {

using namespace std::chrono_literals;

constexpr MacAddress kBench = {0x0A, 0x0B, 0x0C, 0x00, 0x00, 0x05};  // the module on the bench

class LineWindowTest : public LineLab {
 protected:
  void SetUp() override {
    LineLab::SetUp();
    if (HasFatalFailure()) return;
    sockets.Host.Entries = {OnInterface(192, 168, 1, 20, 2, "eth0")};
    LineDatabase owner(Loop, Conninfo());
    ASSERT_TRUE(Init(owner, kPrefix, 100, 199).Ok());
  }
  void TearDown() override {
    app.reset();
    if (!Server->Running()) Server->Start();  // for the next test, after a failed one
  }

  // The window as the station "window-1" of the test's line, once connected, with the module
  // on the bench listed and the production controls shown.
  void Start() {
    StartOptions options;
    options.Line = LineStart{Conninfo(), "window-1", &Loop};
    app = std::make_unique<TSocketViewApp>("Vellora", ws, sockets, options);
    app->InitMainWindow();
    Answer(kBench);
    ws.Click(IdExpandButton);
    ASSERT_TRUE(Until([&] { return Said("Vellora: connected to the line database ") == 1; }));
  }
  void Answer(const MacAddress& mac) {
    GatewayRecord module = SampleRecord();
    std::memcpy(module.Mac, mac.data(), mac.size());
    DeliverReply(sockets, module);
  }
  bool Until(const std::function<bool()>& condition) {
    return Loop.RunUntil(condition, PollEventLoop::Clock::now() + 30s);
  }

  // How many lines of the debug list hold the text.
  long Said(const std::string& text) const {
    const auto& lines = ws.Lines(IdDebugList);
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.find(text) != std::string::npos;
    });
  }
  std::string Serial() const {
    std::string pairs;
    for (int id : kSerialEditIds)
      pairs += (id == kSerialEditIds[0] ? "" : " ") + ws.Get(id).Text;
    return pairs;
  }
  // The datagrams of the command sent so far, in hexadecimal.
  std::vector<std::string> Sent(std::uint8_t command) const {
    std::vector<std::string> sent;
    for (const auto& datagram : sockets.AllSent()) {
      if (datagram.Bytes.size() >= 2 && datagram.Bytes[1] == command)
        sent.push_back(Hex(datagram.Bytes));
    }
    return sent;
  }
  std::string Rows(const std::string& columns, const std::string& where = "true") const {
    return RecordRows(*Server, Database, columns, where);
  }

  MemoryWindowSystem ws;
  MemorySocketLayer sockets;
  std::unique_ptr<TSocketViewApp> app;
};

TEST_F(LineWindowTest, SetAndIncrTakesThePoolsNumberOnceAndTheEditsOnlyShowIt) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(Until([&] { return Serial() == "00 00 01 00"; })) << Serial();
  for (int id : kSerialEditIds) {
    EXPECT_FALSE(ws.Get(id).Enabled) << id;
    EXPECT_EQ(ws.Type(id, "9"), 0) << id;
  }
  // A second press while the first one's number is being taken takes none.
  ws.Click(IdSetIncrButton);
  ws.Click(IdSetIncrButton);
  EXPECT_EQ(Said("Vellora: Set & Incr. not sent: the number of the press before is still being "
                 "taken"),
            1);
  ASSERT_TRUE(Until([&] { return Serial() == "00 00 01 01"; })) << Serial();
  const std::vector<std::string> sent = Sent(CmdSetMacRequest);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].substr(20), "0a0b0c000064");
  EXPECT_EQ(Rows("station, command, interface, host(pc_address), serial, outcome, "
                 "encode(request, 'hex')"),
            "window-1 assign eth0 192.168.1.20 100 sent " + sent[0]);
  EXPECT_EQ(Value("SELECT next FROM vellora.pool"), "101");

  // A MAC that a module answers with is refused before a number is taken.
  Answer({0x0A, 0x0B, 0x0C, 0x00, 0x00, 0x65});
  ws.Click(IdSetIncrButton);
  ASSERT_TRUE(Until([&] {
    return Rows("serial, outcome, upper(mac_after::text)", "outcome = 'refused'") ==
           "refused 0A:0B:0C:00:00:65";
  }));
  EXPECT_EQ(Said("0A 0B 0C 00 00 65 is in use"), 1);
  EXPECT_EQ(Sent(CmdSetMacRequest).size(), 1u);
  EXPECT_EQ(Value("SELECT next FROM vellora.pool"), "101");
}

TEST_F(LineWindowTest, EveryWriteHasItsRowWithTheBytesThatLeftAndTheLabelCheckToo) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ws.Click(IdSetButton);
  ws.Click(IdRebootButton);
  ws.SetDlgItemText(kMacEditIds[5], "57");
  ws.Click(IdSetMacButton);
  ws.Type(IdEepromAddressEdit, "1F0");
  ws.Type(IdEepromValueEdit, "A5");
  ws.Click(IdSetEepromButton);
  ASSERT_TRUE(Until([&] { return Rows("outcome") == "sent\nsent\nsent\nsent"; }));
  const std::string rows = Rows(
      "command, outcome, upper(mac_before::text), "
      "upper(mac_after::text), encode(request, 'hex')");
  EXPECT_EQ(rows, "set sent 0A:0B:0C:00:00:05 " + Sent(CmdSetConfigRequest).at(0) +
                      "\nreboot sent 0A:0B:0C:00:00:05 " + Sent(CmdRebootRequest).at(0) +
                      "\nset-mac sent 0A:0B:0C:00:00:05 0A:0B:0C:00:00:57 " +
                      Sent(CmdSetMacRequest).at(0) + "\neeprom sent 0A:0B:0C:00:00:05 " +
                      Sent(CmdSetEepromRequest).at(0));

  // The label check's row is stored before its box says the MAC is OK; a tick while the box
  // is open checks nothing again.
  std::size_t searches = 0;
  ws.OnMessageBox = [&](const MemoryWindowSystem::Box&) {
    searches = Sent(CmdSearchRequest).size();
    ws.FireTimer(2300);
  };
  ws.Type(IdLabelMacEdit, "0A0B0C000005");
  ws.Click(IdVerifyMacCheck);
  ws.FireTimer(2300);  // the check searches
  Answer(kBench);
  ws.FireTimer(2300);  // and compares
  ASSERT_TRUE(Until([&] { return !ws.Boxes.empty(); }));
  EXPECT_EQ(ws.Boxes[0].Text, "MAC is OK!");
  EXPECT_EQ(Sent(CmdSearchRequest).size(), searches);
  EXPECT_EQ(Rows("command, outcome, label, upper(mac_found::text)", "command = 'verify'"),
            "verify label ok 0A0B0C000005 0A:0B:0C:00:00:05");
}

TEST_F(LineWindowTest, WhileTheServerIsDownNothingIsSentAndTheWindowSaysOnceWhenItIsBack) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(Server->Stop());
  ws.Click(IdSetIncrButton);
  const std::string server = "host=" + Server->SocketFolder() + " port=5432 dbname=" + Database +
                             " user=" + PgServer::kAdmin;
  ASSERT_TRUE(Until([&] { return Said("Vellora: SetMacRequest not sent: ") == 1; }));
  EXPECT_EQ(
      Said("Vellora: SetMacRequest not sent: cannot reach the line database " + server + ": "), 1);
  EXPECT_EQ(Serial(), "   ");  // no number to show
  ws.Type(IdEepromAddressEdit, "1F0");
  ws.Type(IdEepromValueEdit, "A5");
  ws.Click(IdSetEepromButton);
  ASSERT_TRUE(Until([&] { return Said("Vellora: SetEepromRequest not sent: ") == 1; }));
  ASSERT_TRUE(Server->Start()) << Server->Error();
  ASSERT_TRUE(Until([&] { return Said("Vellora: connected to the line database ") == 2; }));
  EXPECT_EQ(Said("cannot reach the line database") + Said("lost the connection"), 3);
  EXPECT_TRUE(Sent(CmdSetMacRequest).empty());
  EXPECT_TRUE(Sent(CmdSetEepromRequest).empty());
  EXPECT_EQ(Value("SELECT count(*) FROM vellora.record"), "0");

  ws.Click(IdSetIncrButton);
  ASSERT_TRUE(Until([&] { return Rows("serial, outcome") == "100 sent"; }));
  EXPECT_EQ(Sent(CmdSetMacRequest).size(), 1u);
}

TEST_F(LineWindowTest, AConnectionLostBetweenTheTakeAndTheSendUsesTheNumberUp) {
  // The server's process for the window ends itself while the request of 100 is stored, after
  // its number was committed.
  ASSERT_EQ(Sql("CREATE FUNCTION lose_connection() RETURNS trigger LANGUAGE plpgsql AS $$ "
                "BEGIN PERFORM pg_terminate_backend(pg_backend_pid()); PERFORM pg_sleep(30); "
                "RETURN NEW; END $$; "
                "CREATE TRIGGER lose BEFORE UPDATE ON vellora.record FOR EACH ROW "
                "WHEN (NEW.serial = 100 AND NEW.request IS NOT NULL) "
                "EXECUTE FUNCTION lose_connection()"),
            "");
  ASSERT_NO_FATAL_FAILURE(Start());
  ws.Click(IdSetIncrButton);
  // Done when the edits show the next number.
  ASSERT_TRUE(Until([&] { return Serial() == "00 00 01 01"; }));
  EXPECT_EQ(Rows("serial, outcome"), "100 not sent");
  EXPECT_EQ(Said("the row of 100 (0A:0B:0C:00:00:64) is not known to be stored: nothing may be "
                 "sent for it"),
            1);
  EXPECT_TRUE(Sent(CmdSetMacRequest).empty());

  ws.Click(IdSetIncrButton);
  ASSERT_TRUE(Until([&] { return Sent(CmdSetMacRequest).size() == 1; }));
  EXPECT_EQ(Sent(CmdSetMacRequest)[0].substr(20), "0a0b0c000065");
  ASSERT_TRUE(Until([&] { return Rows("serial, outcome") == "100 not sent\n101 sent"; }))
      << Rows("serial, outcome");
  EXPECT_EQ(Value("SELECT next FROM vellora.pool"), "102");
}

}  // namespace
