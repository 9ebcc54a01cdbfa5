// vellora-cli end to end: the program run as a script runs it, in the PC namespace, against the
// simulated modules. Each command's request is compared with the window's for the same input,
// each against a simulator fresh from its start.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>
#include <set>

#include "protocol/messages.h"
#include "protocol/text_values.h"
#include "resources/control_ids.h"
#include "tests/e2e/program_lab.h"

namespace {

using Texts = std::vector<std::string>;

class CliTest : public ProgramLab {
 protected:
  // vellora-cli run by a shell that first does `setup` (a redirection, a limit).
  ChildResult CliAfter(const std::string& setup, std::vector<std::string> args) {
    args.insert(args.begin(), {"/bin/sh", "-c", setup + "; exec \"$0\" \"$@\"", VELLORA_CLI_PATH});
    return RunChild(Pc, args);
  }
  // The request of `command` that the window sends after `act`, on module 1 of a fresh
  // simulator A.
  std::string WindowSends(const std::string& command, const std::function<void()>& act) {
    StartWithModules();
    if (HasFatalFailure()) return {};
    act();
    const std::string hex = Field(Received(*SimA, command), "hex");
    EndProgram();
    SimA.reset();
    return hex;
  }
  // The request of `command` that vellora-cli sends with `args`, to a fresh simulator A.
  std::string CliSends(const std::string& command, std::vector<std::string> args) {
    StartSimulatorA();
    if (HasFatalFailure()) return {};
    args.insert(args.end(), {"--address", "10.88.1.1"});
    EXPECT_TRUE(Ended(Cli(args), 0));
    const std::string hex = Field(SimA->TakeLine("rx", {"cmd=" + command}), "hex");
    SimA.reset();
    return hex;
  }
  // Nothing but searches reached the simulator behind the PC's `device` since it was asked last.
  void ExpectOnlySearches(SimProcess& sim, const std::string& device, const std::string& address) {
    for (const std::string& line : HeardBefore(sim, device, address))
      EXPECT_EQ(Field(line, "cmd"), "SearchRequest") << line;
  }
  const std::string counter = Folder / "serial";
};

TEST_F(CliTest, EveryCommandSendsTheBytesTheWindowSendsForTheSameInput) {
  GatewayRecord set = ModuleOne();
  set.Ip = Ipv4(10, 88, 1, 60);
  set.Port = 8080;
  set.UseDhcp = 1;
  std::strcpy(set.Name, "e2e-name");
  const std::uint8_t renamed[6] = {0x02, 0, 0, 0, 0, 0x99};
  const std::uint8_t assigned[6] = {0x0A, 0x0B, 0x0C, 0x0F, 0x72, 0x79};  // serial 1012345
  struct Case {
    const char* Command;
    std::string Bytes;
    std::function<void()> Window;
    Texts Cli;
  };
  const std::vector<Case> cases = {
      {"SearchRequest", Hex(BuildSearchRequest()), [] {}, {"search"}},
      {"SetConfigRequest",
       Hex(BuildSetConfigRequest(set)),
       [&] {
         Program->Replace(11219, "60");
         Program->Replace(IdNameEdit, "e2e-name");
         Program->Replace(IdPortEdit, "8080");
         Program->Click(IdUseDhcpCheck);
         Program->Click(IdSetButton);
       },
       {"set", "02:00:00:00:00:01", "ip=10.88.1.60", "name=e2e-name", "port=8080", "dhcp=1"}},
      {"RebootRequest",
       Hex(BuildRebootRequest(ModuleOne())),
       [&] { Program->Click(IdRebootButton); },
       {"reboot", "020000000001"}},
      {"SetMacRequest",
       Hex(BuildSetMacRequest(ModuleOne(), renamed)),
       [&] {
         Program->Click(IdExpandButton);
         Program->Replace(IdMacEdit6, "99");
         Program->Click(IdSetMacButton);
       },
       {"set-mac", "02-00-00-00-00-01", "02:00:00:00:00:99"}},
      {"SetEepromRequest",
       Hex(BuildSetEepromRequest(ModuleOne(), 0x1F0, 0xA5)),
       [&] {
         Program->Click(IdExpandButton);
         Program->Type(IdEepromAddressEdit, "1F0");
         Program->Type(IdEepromValueEdit, "a5");
         Program->Click(IdSetEepromButton);
       },
       {"eeprom", "02:00:00:00:00:01", "1F0", "a5"}},
      {"SetMacRequest",
       Hex(BuildSetMacRequest(ModuleOne(), assigned)),
       [&] {
         Program->Click(IdExpandButton);
         const char* typed[] = {"0A", "0B", "0C", "01", "01", "23", "45"};
         for (int i = 0; i < 7; ++i)
           Program->Replace(i < 3 ? kMacEditIds[i] : kSerialEditIds[i - 3], typed[i]);
         Program->Click(IdSetIncrButton);
       },
       {"assign", "02:00:00:00:00:01", "--prefix", "0a:0b:0c", "--serial-file", counter}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Cli[0]);
    WriteFileBytes(counter, "1012345\n");
    // The test stands in the PC namespace only while the window runs; the CLI gets there itself.
    const std::string window = WindowSends(c.Command, c.Window);
    EXPECT_EQ(window, c.Bytes);
    EXPECT_EQ(CliSends(c.Command, c.Cli), window);
  }
  EXPECT_EQ(ReadFileBytes(counter), "1012346\n");  // as the window's serial edits go on
}

// The line cycle of the user guide, as it stands there, against the one module behind pb.
TEST_F(CliTest, TheGuidesLineCycleGivesTheNextMacWritesTheEepromAndChecksTheLabel) {
  std::string script;
  for (const std::string& line : GuideBlock("line-cycle"))
    script += line + "\n";
  ASSERT_FALSE(script.empty()) << "the guide has no line cycle";
  const std::string cycleFile = Folder / "cycle.sh", log = Folder / "line.log";
  WriteFileBytes(cycleFile, script);
  WriteFileBytes(counter, "4660\n");
  StartSimulatorB();

  const std::string cli = VELLORA_CLI_PATH;
  const Texts env = {"PATH=" + cli.substr(0, cli.rfind('/')) + ":/usr/sbin:/usr/bin:/sbin:/bin",
                     "IFACE=pb", "COUNTER=" + counter, "LOG=" + log};
  const auto cycle = [&](const std::string& scanned) {
    return RunChild(Pc, {"/bin/sh", "-c", "echo " + scanned + " | sh " + cycleFile}, env);
  };
  const ChildResult run = cycle("0A0B0C001234");
  ASSERT_TRUE(Ended(run, 0));
  EXPECT_EQ(Lines(run.Out).back(), "0A:0B:0C:00:12:34 done");
  EXPECT_EQ(ReadFileBytes(counter), "4661\n");
  const std::string eeprom = SimB->TakeLine("rx", {"cmd=SetEepromRequest"});
  EXPECT_EQ(Field(eeprom, "mac"), "0A 0B 0C 00 12 34") << eeprom;
  EXPECT_EQ(Field(eeprom, "outcome"), "applied") << eeprom;

  const std::string record = ReadFileBytes(log);
  for (const char* step :
       {"request from=10.88.2.1 interface=pb command=SetMacRequest target=\"02 00 00 00 20 01\" "
        "new-mac=\"0A 0B 0C 00 12 34\" serial=4660",
        "request from=10.88.2.1 interface=pb command=SetEepromRequest target=\"0A 0B 0C 00 12 34\" "
        "address=0x01F0 value=0xA5",
        "vellora-cli: verify 0A0B0C001234: MAC is OK! 0A:0B:0C:00:12:34 answered"})
    EXPECT_NE(record.find(step), std::string::npos) << step << " not in\n" << record;

  // The next module: a label that is not the module's stops the cycle.
  const ChildResult wrong = cycle("0A0B0C001299");
  EXPECT_EQ(wrong.Status, 1);
  EXPECT_FALSE(Holds(wrong.Out, "done"));
  EXPECT_EQ(ReadFileBytes(counter), "4662\n");
}

TEST_F(CliTest, ListenWritesTheModulesLinesAndConfirmSeesTheNewMac) {
  // The module ends the connection after three lines, and listen ends with it.
  StartSimulatorA({"--tcp-mode", "close", "--close-after", "3"});
  const ChildResult listened = Cli({"listen", "02:00:00:00:00:01"});
  EXPECT_TRUE(Ended(listened, 0, "Vellora: Socket connected"));
  const Texts lines = Lines(listened.Out);
  ASSERT_EQ(lines.size(), 3u) << listened.Out;
  EXPECT_EQ(lines[0].rfind("sim-gw-1 (02 00 00 00 00 01) status line 1,", 0), 0u) << lines[0];

  EXPECT_TRUE(Ended(Cli({"set-mac", "020000000002", "02:00:00:00:00:42", "--confirm"}), 0,
                    "vellora-cli: confirmed, 02:00:00:00:00:42 at 10.88.1.51, and no longer "
                    "02:00:00:00:00:02 answered"));
  // A module that ignores the write is reported, and the command fails.
  SimA.reset();
  StartSimulatorA({"--read-only"});
  EXPECT_TRUE(Ended(Cli({"set-mac", "020000000002", "02:00:00:00:00:43", "--confirm",
                         "--confirm-seconds", "0.6"}),
                    1,
                    "vellora-cli: not confirmed: 02:00:00:00:00:43 at 10.88.1.51, and no longer "
                    "02:00:00:00:00:02 did not answer within 0.6 s"));
}

// The record and the results a script keeps are part of the write: a write whose line the
// record cannot take does not leave and uses up no number; a MAC given whose line stdout cannot
// take fails the command and is named.
TEST_F(CliTest, AWriteLeavesOnlyWithItsRecordAndAResultThatCannotBeWrittenFailsTheCommand) {
  StartSimulatorB();
  const std::string log = Folder / "full.log";
  WriteFileBytes(counter, "100\n");
  // A record that has reached the file size limit, as on a full disk: 512 bytes, a limit of one
  // block of 512.
  WriteFileBytes(log, std::string(511, 'x') + "\n");
  const Texts assign = {"assign",   "--only",   "--address",     "10.88.2.1",
                        "--prefix", "0A:0B:0C", "--serial-file", counter};
  Texts logged = assign;
  logged.insert(logged.end(), {"--log", log});
  const ChildResult full = CliAfter("ulimit -f 1", logged);
  EXPECT_TRUE(Ended(full, 1,
                    "vellora-cli: SetMacRequest not sent: the log file cannot be written (File "
                    "too large)"));
  EXPECT_EQ(full.Out, "");
  EXPECT_EQ(ReadFileBytes(counter), "100\n");
  ExpectOnlySearches(*SimB, "pb", "10.88.2.100");

  for (const char* redirect : {"exec >/dev/full", "exec >&-"}) {
    EXPECT_TRUE(
        Ended(CliAfter(redirect, assign), 1, "vellora-cli: the module was given 0A:0B:0C:00:00:6"))
        << redirect;
    EXPECT_FALSE(SimB->TakeLine("rx", {"cmd=SearchRequest"}).empty()) << redirect;
    EXPECT_FALSE(SimB->TakeLine("rx", {"cmd=SetMacRequest"}).empty()) << redirect;
  }
  EXPECT_EQ(ReadFileBytes(counter), "102\n");
  for (const Texts& command : {Texts{"search", "--json", "--address", "10.88.2.1"},
                               Texts{"verify", "0A0B0C000065", "--address", "10.88.2.1"}}) {
    EXPECT_TRUE(Ended(CliAfter("exec >/dev/full", command), 1,
                      "could not be written to standard output (No space left on device)"))
        << command[0];
    EXPECT_FALSE(SimB->TakeLine("rx", {"cmd=SearchRequest"}).empty());
  }

  EXPECT_EQ(HeardBefore(*SimB, "pb", "10.88.2.100"), Texts{});
}

// What cannot be done safely is refused before anything is sent, and says why: a value out of
// range, a MAC that a module answers with (however many answer) or that no module can use, a
// used-up serial number, a module that did not answer or is not alone, bad usage, a record
// that would hang (a FIFO nobody reads) or a value that most likely lost its option. Every
// module is found all the same, also beyond twenty and among a flood of strangers, and listed
// as lines or as JSON.
TEST_F(CliTest, EveryModuleIsFoundAndWhatCannotBeDoneSafelyIsRefused) {
  ASSERT_NO_FATAL_FAILURE(StartSimulatorA({"--gateways", "25"}));
  const ChildResult lines = Cli({"search"});
  ASSERT_TRUE(Ended(lines, 0));
  ASSERT_EQ(Lines(lines.Out).size(), 25u) << lines.Out;
  EXPECT_EQ(Lines(lines.Out)[0],
            "mac=02:00:00:00:00:01 actual=10.88.1.50 ip=10.88.1.50 netmask=255.255.255.0 "
            "gateway=10.88.1.1 dns=10.88.1.1 dhcp=0 name=\"sim-gw-1\" server=\"\" use-proxy=0 "
            "proxy=\"\" port=80 serial=1");
  const ChildResult json = Cli({"search", "--json", "--interface", "pa"});
  ASSERT_TRUE(Ended(json, 0));
  std::set<std::string> macs;
  for (const std::string& line : Lines(json.Out)) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
    const QJsonObject module = document.object();
    macs.insert(module["mac"].toString().toStdString());
    EXPECT_EQ(module["netmask"].toString(), "255.255.255.0");
    EXPECT_EQ(module["port"].toInt(), 80);
    EXPECT_TRUE(module["name"].toString().startsWith("sim-gw-"));
  }
  EXPECT_EQ(macs.size(), 25u);
  EXPECT_EQ(*macs.rbegin(), "02:00:00:00:00:19");
  const ChildResult found = Cli({"verify", "020000000019"});
  EXPECT_TRUE(Ended(found, 0));
  EXPECT_EQ(found.Out.rfind("MAC is OK! mac=02:00:00:00:00:19 ", 0), 0u) << found.Out;
  const ChildResult missing = Cli({"verify", "0200000000FF"});
  EXPECT_TRUE(
      Ended(missing, 1, "no module with the label's MAC 02:00:00:00:00:FF answered; 25 other"));
  EXPECT_EQ(missing.Out, "");
  EXPECT_TRUE(Ended(Cli({"eeprom", "02:00:00:00:00:19", "1F0", "A5"}), 0));
  EXPECT_EQ(Field(SimA->TakeLine("rx", {"cmd=SetEepromRequest"}), "mac"), "02 00 00 00 00 19");

  const std::string usedUp = Folder / "used-up", fifo = Folder / "fifo";
  WriteFileBytes(counter, "3\n");
  WriteFileBytes(usedUp, "16777216\n");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    Texts Args;
    int Status;
    const char* Says;
  } cases[] = {
      {{"set", "020000000001", "ip=10.88.1.300"}, 1, "Vellora: Set not sent"},
      {{"set", "020000000001", "netmask=255..255.0"}, 1, "Vellora: Set not sent"},
      {{"set-mac", "020000000001", "02:00:00:00:00:05"},
       1,
       "Vellora: Set MAC not sent, 02 00 00 00 00 05 is in use: the module sim-gw-5 at 10.88.1.54 "
       "answered the last search with it"},
      {{"assign", "020000000001", "--prefix", "02:00:00", "--serial-file", counter},
       1,
       "Vellora: Set & Incr. not sent, 02 00 00 00 00 03 is in use: the module sim-gw-3 at "
       "10.88.1.52 answered the last search with it"},
      {{"set-mac", "020000000001", "01:00:5E:00:00:01"},
       1,
       "01 00 5E 00 00 01 is a multicast MAC (the first byte is odd): no module can use it"},
      {{"set-mac", "020000000001", "FF:FF:FF:FF:FF:FF"}, 1, "is the broadcast MAC"},
      {{"assign", "020000000001", "--prefix", "01:00:5E", "--serial-file", counter},
       2,
       "multicast MAC (the first byte is odd): no module can use them"},
      {{"assign", "020000000001", "--prefix", "0A:0B:0C", "--serial-file", usedUp},
       1,
       "Vellora: Set & Incr. not sent, serial number 16777216 is above the largest, 16777215"},
      {{"reboot", "020000000099"}, 1, "02:00:00:00:00:99"},
      {{"reboot", "--only"}, 1, "25 modules answered"},
      {{"eeprom", "020000000001", "1F00", "1"}, 2, "usage: vellora-cli eeprom"},
      {{"set-mac", "020000000001", "02:00:00:00:00"}, 2, "usage: vellora-cli set-mac"},
      {{"search", "--address", "10.77.0.1"}, 2, "10.88.1.1"},
      {{"search", "--interface", "nosuch"}, 2, "nosuch"},
      {{"verify", "02-00-00-00-00-01"}, 2, "is not a label's MAC: twelve hexadecimal"},
      {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
      {{"search", "--log", fifo}, 2, "FIFO"},
      {{"search", "--log", "--wait"}, 2, "begins with '-'"},
      {{"assign", "--only", "--prefix", "0A:0B:0C", "--serial-file", "-x"}, 2, "begins with '-'"},
  };
  for (const auto& c : cases)
    EXPECT_TRUE(Ended(Cli(c.Args), c.Status, c.Says)) << c.Args[0] << " " << c.Args[1];
  EXPECT_TRUE(
      Ended(RunChild(Pc, {VELLORA_PATH, "--log", fifo}, {"QT_QPA_PLATFORM=offscreen"}), 2, "FIFO"));
  EXPECT_EQ(ReadFileBytes(counter), "3\n");
  EXPECT_EQ(ReadFileBytes(usedUp), "16777216\n");
  ExpectOnlySearches(*SimA, "pa", "10.88.1.100");
  SimA.reset();

  // Nobody answers: the same hint as the window's.
  EXPECT_TRUE(Ended(Cli({"search"}), 1,
                    "Vellora: No module answered the search from 10.88.1.1.\nVellora: A firewall "
                    "may drop the replies: let UDP from port 8003 in."));
  // Thirty strangers answer first; the module named is found all the same.
  ASSERT_NO_FATAL_FAILURE(StartSimulatorA({"--hostile", "many-macs", "--hostile-macs", "30"}));
  EXPECT_TRUE(Ended(Cli({"eeprom", "02:00:00:00:00:01", "7", "1"}), 0));
  EXPECT_EQ(Field(SimA->TakeLine("rx", {"cmd=SetEepromRequest"}), "mac"), "02 00 00 00 00 01");
}

// A module's texts may hold any byte: on the operator's terminal each control character is
// shown escaped, in a search's lines and in listen's; JSON keeps the text exactly. A flag a
// module reports as 7 is on, as 1 is.
TEST_F(CliTest, AModulesControlCharactersAreShownEscapedAndAnyNonZeroFlagIsOn) {
  StartSimulatorB({"--read-only", "--no-tcp", "--gateway",
                   "name=a\x1B]0;x\x07"
                   "b,dhcp=7,ip=10.88.2.50"});
  const ChildResult plain = Cli({"search", "--address", "10.88.2.1"});
  EXPECT_TRUE(Holds(plain.Out, "name=\"a\\u001B]0;x\\u0007b\""));
  EXPECT_FALSE(Holds(plain.Out, "\x1B"));
  const ChildResult json = Cli({"search", "--json", "--address", "10.88.2.1"});
  const QJsonObject module = QJsonDocument::fromJson(QByteArray::fromStdString(json.Out)).object();
  EXPECT_EQ(module["name"].toString().toStdString(),
            "a\x1B]0;x\x07"
            "b");

  // The module takes nothing (read-only): it still reports dhcp=7, which is what was asked.
  EXPECT_TRUE(Ended(Cli({"set", "--only", "--address", "10.88.2.1", "dhcp=1", "--confirm",
                         "--confirm-seconds", "2"}),
                    0));

  // The module's port 80, played by the test: a title sequence, a C1 control and DEL.
  int server = -1;
  ASSERT_TRUE(Shell("ip -n " + GwB + " addr add 10.88.2.60/24 dev gb"));
  Restore restore{{"ip -n " + GwB + " addr del 10.88.2.60/24 dev gb"}};
  {
    InNamespace inside(GwB);
    server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local{AF_INET, htons(80), {htonl(0x0A58023Cu)}, {}};  // 10.88.2.60
    ASSERT_EQ(bind(server, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    ASSERT_EQ(listen(server, 1), 0);
  }
  ChildProcess listening(
      Pc, {VELLORA_CLI_PATH, "listen", "--ip", "10.88.2.60", "--address", "10.88.2.1"});
  pollfd waiting{server, POLLIN, 0};
  ASSERT_EQ(poll(&waiting, 1, 10000), 1);
  const int connection = accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
  const std::string sent = "\x1B]0;owned\x07\x9D\x7F ok\r";
  ASSERT_EQ(send(connection, sent.data(), sent.size(), 0), static_cast<ssize_t>(sent.size()));
  close(connection);
  close(server);
  const ChildResult heard = listening.Finish(10000);
  EXPECT_TRUE(Ended(heard, 0));
  EXPECT_EQ(heard.Out, "\\x1B]0;owned\\x07\\x9D\\x7F ok\n");
}

// The window's own binary, started the way an operator starts it, with Qt's own options among
// the program's, as a desktop's menu entry or a user may add them; an address the PC does not
// have ends the start before anything is sent.
TEST_F(CliTest, TheWindowsInterfaceAndLogChooseTheSourceAndKeepEveryRequest) {
  StartSimulatorA();
  StartSimulatorB();
  const ChildResult refused =
      RunChild(Pc, {VELLORA_PATH, "--address", "10.88.9.9"}, {"QT_QPA_PLATFORM=offscreen"}, 10000);
  EXPECT_TRUE(Ended(refused, 2, "10.88.9.9"));
  EXPECT_TRUE(Holds(refused.Err, "10.88.1.1"));

  const std::string log = Folder / "line.log";
  ChildProcess program(Pc,
                       {VELLORA_PATH, "-style", "Fusion", "--interface", "pb", "-reverse", "--log",
                        log, "-platform", "offscreen", "--expanded"},
                       {"QT_QPA_PLATFORM=offscreen"});
  EXPECT_FALSE(SimB->TakeLine("rx", {"cmd=SearchRequest", "from=10.88.2.1:"}, 10000).empty());
  // The record holds the request before it leaves.
  EXPECT_TRUE(
      Holds(ReadFileBytes(log), " request from=10.88.2.1 interface=pb command=SearchRequest"));
  program.Signal(SIGTERM);
  EXPECT_FALSE(Holds(program.Finish(10000).Err, "Unknown option"));
  EXPECT_EQ(HeardBefore(*SimA, "pa", "10.88.1.100"), std::vector<std::string>{});
}

}  // namespace
