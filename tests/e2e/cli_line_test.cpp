// vellora-cli with the line database, end to end: the requests on the wire against the
// simulated modules, the rows in a PostgreSQL server of the test's own, and the faults a
// station meets: the server down, a row that cannot be stored or moved on, an empty pool, a MAC
// in use before and after the take. (The faults of the connection itself: tests/net.)
#include <libpq-fe.h>

#include <chrono>

#include "tests/e2e/cli_line_lab.h"

namespace {

using Clock = std::chrono::steady_clock;

class CliLineTest : public CliLineLab {
 protected:
  // vellora-cli on the wire of simulator B (one module, 02:00:00:00:20:01 at 10.88.2.50), or
  // of A (three, 02:00:00:00:00:01 to 03 at 10.88.1.50 to 52), with the line database.
  ChildResult OnB(std::vector<std::string> args, const std::string& conninfo = {},
                  const std::vector<std::string>& env = {}) {
    args.insert(args.end(), {"--address", "10.88.2.1", "--line",
                             conninfo.empty() ? Conninfo() : conninfo, "--station", "press-1"});
    return Cli(args, env);
  }
  std::vector<std::string> OnA(std::vector<std::string> args) {
    args.insert(args.end(),
                {"--address", "10.88.1.1", "--line", Conninfo(), "--station", "press-1"});
    return CliCommand(args);
  }
  // No request that writes reached the simulator (searches may have).
  static void ExpectNoWrite(SimProcess& sim) {
    for (const char* command :
         {"SetMacRequest", "SetConfigRequest", "SetEepromRequest", "RebootRequest"})
      EXPECT_EQ(Requests(sim, command).size(), 0u) << command;
  }
};

TEST_F(CliLineTest, EveryWriteHasItsRowBeforeItLeavesAndAssignTakesThePoolsNextNumber) {
  MakePool("0A:0B:0C", 4660, 4669);
  ASSERT_NO_FATAL_FAILURE(StartSimulatorB());

  // VELLORA_LINE names the database when --line is not given.
  const ChildResult ok =
      Cli({"verify", "020000002001", "--address", "10.88.2.1", "--station", "press-1"},
          {"VELLORA_LINE=" + Conninfo()});
  EXPECT_TRUE(Ended(ok, 0));
  EXPECT_EQ(ok.Out.rfind("MAC is OK! mac=02:00:00:00:20:01 ", 0), 0u) << ok.Out;
  // Refused, each with its reason: an address octet above 255, a MAC no module can use.
  const struct {
    std::vector<std::string> Args;
    int Status;
    const char* Says;
    const char* Sends;
  } steps[] = {
      {{"assign", "--only", "--prefix", "0A:0B:0C", "--confirm"}, 0, "", "SetMacRequest"},
      {{"set", "0A:0B:0C:00:12:34", "name=press-1-gw", "--confirm"}, 0, "", "SetConfigRequest"},
      {{"eeprom", "--only", "1F0", "A5"}, 0, "", "SetEepromRequest"},
      {{"verify", "0A0B0C001299"}, 1, "", nullptr},
      {{"set", "--only", "ip=10.88.2.300"}, 1, "Vellora: Set not sent", nullptr},
      {{"set-mac", "--only", "01:00:5E:00:00:01"}, 1, "is a multicast MAC", nullptr},
      {{"set-mac", "--only", "02:00:00:00:20:09"}, 0, "", "SetMacRequest"},
      {{"reboot", "--only"}, 0, "", "RebootRequest"},
  };
  std::string sent;  // the bytes that left, a line each
  for (const auto& step : steps) {
    EXPECT_TRUE(Ended(OnB(step.Args), step.Status, step.Says)) << step.Args[0];
    if (step.Sends)
      sent += Field(SimB->TakeLine("rx", {std::string("cmd=") + step.Sends}), "hex") + "\n";
  }
  EXPECT_EQ(Rows("command, outcome, mac_before, mac_after, serial, label, mac_found"),
            "verify label ok 020000002001 02:00:00:00:20:01\n"
            "assign confirmed 02:00:00:00:20:01 0a:0b:0c:00:12:34 4660\n"
            "set confirmed 0a:0b:0c:00:12:34\n"
            "eeprom sent 0a:0b:0c:00:12:34\n"
            "verify label wrong 0A0B0C001299 0a:0b:0c:00:12:34\n"
            "set refused 0a:0b:0c:00:12:34\n"
            "set-mac refused 0a:0b:0c:00:12:34 01:00:5e:00:00:01\n"
            "set-mac sent 0a:0b:0c:00:12:34 02:00:00:00:20:09\n"
            "reboot sent 02:00:00:00:20:09");
  // Each row holds the bytes that left, and says where from.
  EXPECT_EQ(Rows("encode(request, 'hex')", "request IS NOT NULL") + "\n", sent);
  EXPECT_EQ(Value("SELECT string_agg(DISTINCT concat_ws(' ', station, interface, "
                  "host(pc_address)), ',') FROM vellora.record"),
            "press-1 pb 10.88.2.1");
  EXPECT_TRUE(Holds(Rows("reason", "outcome = 'refused' AND command = 'set-mac'"),
                    "01 00 5E 00 00 01 is a multicast MAC (the first byte is odd)"));
  EXPECT_EQ(Value("SELECT next FROM vellora.pool"), "4661");

  // One source of numbers, and no station name written nowhere.
  EXPECT_TRUE(Ended(
      Cli({"assign", "--only", "--prefix", "0A:0B:0C", "--serial-file", "/nonexistent/serial"},
          {"VELLORA_LINE=" + Conninfo()}),
      2, "give --serial-file or --line, not both (VELLORA_LINE names a line database)"));
  EXPECT_TRUE(Ended(Cli({"assign", "--only", "--prefix", "0A:0B:0C"}), 2));
  EXPECT_TRUE(Ended(Cli({"eeprom", "--only", "1F0", "A5", "--station", "press-1"}), 2,
                    "--station names the station in the line database"));
  ExpectNoWrite(*SimB);
}

TEST_F(CliLineTest, ARowThatCannotBeStoredSendsNothingAndTakesNothingAndAnEmptyPoolGivesNothing) {
  MakePool("0A:0B:0C", 4660, 4669);
  ASSERT_NO_FATAL_FAILURE(StartSimulatorB());
  ASSERT_TRUE(Server->Stop());
  const std::string server = "the line database host=" + Server->SocketFolder() +
                             " port=5432 dbname=" + Database + " user=vellora_admin";
  const std::string reach = "cannot reach " + server + ": ";
  const struct {
    std::vector<std::string> Args;
    std::string Says;
  } writes[] = {
      {{"assign", "--only", "--prefix", "0A:0B:0C", "--confirm"}, "SetMacRequest not sent: "},
      {{"set", "--only", "dhcp=1"}, "SetConfigRequest not sent: "},
      {{"eeprom", "--only", "1F0", "A5"}, "SetEepromRequest not sent: "},
      {{"set-mac", "--only", "02:00:00:00:20:09"}, "SetMacRequest not sent: "},
      {{"reboot", "--only"}, "RebootRequest not sent: "},
      {{"verify", "020000002001"}, "the label check is not in the line database: "}};
  for (const auto& write : writes) {
    // libpq's own default password is never shown either.
    const ChildResult down = OnB(write.Args, {}, {"PGPASSWORD=Sesame-42"});
    EXPECT_TRUE(Ended(down, 1, write.Says + reach)) << write.Args[0];
    EXPECT_EQ(down.Out, "") << write.Args[0];
    EXPECT_FALSE(Holds(down.Err, "Sesame"));
    EXPECT_FALSE(SimB->TakeLine("rx", {"cmd=SearchRequest"}).empty()) << write.Args[0];
  }
  ExpectNoWrite(*SimB);
  ASSERT_TRUE(Server->Start()) << Server->Error();
  EXPECT_EQ(Value("SELECT next FROM vellora.pool"), "4660");
  EXPECT_EQ(Value("SELECT count(*) FROM vellora.record"), "0");

  // The --log record is a record too: one that cannot take a line takes no number, and a
  // write whose row is stored but whose line is not does not leave, and its row says so. The
  // record is at the file size limit, as on a full disk.
  const std::string full = Folder / "full.log";
  WriteFileBytes(full, std::string(511, 'x') + "\n");
  for (std::size_t i = 0; i < 2; ++i) {
    std::vector<std::string> logged = writes[i].Args;
    logged.insert(logged.end(), {"--address", "10.88.2.1", "--line", Conninfo(), "--log", full});
    std::vector<std::string> limited = {"/bin/sh", "-c", "ulimit -f 1; exec \"$0\" \"$@\""};
    for (const std::string& word : CliCommand(logged))
      limited.push_back(word);
    EXPECT_TRUE(Ended(RunChild(Pc, limited), 1, "the log file cannot be written (File too large)"));
  }
  ExpectNoWrite(*SimB);
  EXPECT_EQ(Value("SELECT next FROM vellora.pool"), "4660");
  EXPECT_EQ(Rows("command, outcome, reason"), "set not sent the log file cannot be written");
  ASSERT_EQ(Sql("DELETE FROM vellora.record"), "");

  // An empty pool gives nothing, and says how many it gave.
  MakePool("0A:0B:0D", 7, 7);
  const std::vector<std::string> fromD = {"assign", "--only", "--prefix", "0A:0B:0D"};
  EXPECT_EQ(OnB(fromD).Out, "0A:0B:0D:00:00:07\n");
  const ChildResult empty = OnB(fromD);
  EXPECT_TRUE(Ended(empty, 1,
                    "SetMacRequest not sent: the pool for 0A:0B:0D is empty: all 1 numbers (7 to "
                    "7) were given; 'vellora-cli line init' adds a range (" +
                        server + ")"));
  EXPECT_EQ(empty.Out, "");
  EXPECT_EQ(Requests(*SimB, "SetMacRequest").size(), 1u);
}

TEST_F(CliLineTest, ANumberTakenIsUsedUpWhateverHappensBeforeItsRequestLeaves) {
  ASSERT_NO_FATAL_FAILURE(StartSimulatorA());
  MakePool("02:00:00", 0, 9);

  // Another station takes 0 while this one searches; its transaction holds the pool until this
  // one's take waits for it. This one checked 02:00:00:00:00:00, which is free, and takes 1,
  // whose MAC module 1 answers with: refused, with 1 used up.
  PGconn* other = PQconnectdb(Conninfo().c_str());
  PQclear(PQexec(other, "BEGIN"));
  PQclear(PQexec(other,
                 "SELECT * FROM vellora.take_number('02:00:00', 'other', NULL, NULL, "
                 "'assign', NULL)"));
  ChildProcess racing(Pc, OnA({"assign", "02:00:00:00:00:03", "--prefix", "02:00:00"}));
  bool waits = false;
  for (const auto end = Clock::now() + std::chrono::seconds(30); !waits && Clock::now() < end;) {
    waits = Value(
                "SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() AND "
                "wait_event_type = 'Lock'") == "1";
  }
  EXPECT_TRUE(waits) << "the station's take never waited for the other one's";
  PQclear(PQexec(other, "COMMIT"));
  PQfinish(other);
  const ChildResult raced = racing.Finish(30000);
  EXPECT_TRUE(Ended(raced, 1,
                    "Vellora: Set & Incr. not sent, 02 00 00 00 00 01 is in use: the module "
                    "sim-gw-1 at 10.88.1.50 answered the last search with it"));
  EXPECT_TRUE(Holds(raced.Err,
                    "the number 1 (02:00:00:00:00:01) of 02:00:00 was taken before it "
                    "was refused: it is used up"));
  // The next one, 2, is module 2's MAC: refused before it is taken.
  EXPECT_TRUE(Ended(RunChild(Pc, OnA({"assign", "02:00:00:00:00:03", "--prefix", "02:00:00"})), 1,
                    "02 00 00 00 00 02 is in use: the module sim-gw-2 at 10.88.1.51"));
  EXPECT_EQ(Rows("station, command, serial, outcome, mac_after, request"),
            "other assign 0 taken 02:00:00:00:00:00\n"
            "press-1 assign 1 refused 02:00:00:00:00:01\n"
            "press-1 assign refused 02:00:00:00:00:02");
  EXPECT_EQ(Value("SELECT next FROM vellora.pool"), "2");
  ExpectNoWrite(*SimA);

  ASSERT_NO_FATAL_FAILURE(StartSimulatorB());
  MakePool("0A:0B:0C", 4660, 4669);
  // The request of 4660 left, but its row cannot become "sent": the MAC is printed, the row
  // keeps the bytes that left, and the command fails, having said so. (A connection lost
  // before the send: line_window_test.cpp.)
  ASSERT_EQ(Sql("CREATE FUNCTION refuse_sent() RETURNS trigger LANGUAGE plpgsql AS $$ "
                "BEGIN RAISE EXCEPTION 'no room left'; END $$; "
                "CREATE TRIGGER refuse BEFORE UPDATE ON vellora.record FOR EACH ROW "
                "WHEN (NEW.serial = 4660 AND NEW.outcome = 'sent') EXECUTE FUNCTION refuse_sent()"),
            "");
  const ChildResult behind = OnB({"assign", "--only", "--prefix", "0A:0B:0C"});
  EXPECT_TRUE(Ended(behind, 1, "could not be set to \"sent\": the line database host="));
  EXPECT_EQ(behind.Out, "0A:0B:0C:00:12:34\n");
  EXPECT_TRUE(Holds(behind.Err, "no room left"));
  const std::string sent = SimB->TakeLine("rx", {"cmd=SetMacRequest"});
  EXPECT_EQ(Rows("serial, outcome, encode(request, 'hex')", "serial = 4660"),
            "4660 taken " + Field(sent, "hex"));
}

}  // namespace
