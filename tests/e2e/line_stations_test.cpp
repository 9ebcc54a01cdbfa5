// A line of four stations, each a PC in a network namespace of its own with one module on its
// bench, with one line database for all: three loop the user guide's station cycle as it
// stands, the fourth is the window (--line), whose operator does the same cycle through its
// widgets; the server is restarted, as after a crash, while they do. Each station's operator
// scans the label the cycle asks for, and runs a cycle that failed again, as the guide says.
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <thread>

#include "resources/control_ids.h"
#include "tests/e2e/cli_line_lab.h"

namespace {

constexpr int kStations = 3;
constexpr int kModulesEach = 5;
constexpr int kRestartAfter = 4;  // modules made by all stations together

struct Station {
  std::string Name, Pc, Bench;
  std::unique_ptr<SimProcess> Sim;
  std::vector<std::string> Env;
  std::vector<std::string> Made;  // the MACs of the cycles that ended well
  std::string Failures;           // what the failed cycles said
};

// The MAC in "Scan the label of 0A:0B:0C:00:00:05: ", once the whole prompt is there.
bool PromptedMac(const std::string& err, std::string& mac) {
  const std::string prompt = "Scan the label of ";
  const std::size_t at = err.rfind(prompt);
  if (at == std::string::npos || err.size() < at + prompt.size() + 19) return false;
  mac = err.substr(at + prompt.size(), 17);
  return err.compare(at + prompt.size() + 17, 2, ": ") == 0;
}

// "0A 0B 0C 00 00 05" as the simulator writes a MAC, in the record's form.
std::string ColonMac(std::string mac) {
  std::replace(mac.begin(), mac.end(), ' ', ':');
  return mac;
}

// An operator at the window as a station of the line, driven through the window's own widgets:
// for each module on the bench the guide's cycle, as the window does it. A search, Set & Incr.
// with the line's prefix 0A:0B:0C, a search for the new MAC, the EEPROM byte 1F0 A5, and the
// label scanned into the label check. A cycle whose step failed, or whose debug list says that
// a row could not be stored or moved on, is run again for the module on the bench, which then
// gets the next number.
class WindowOperator {
 public:
  WindowOperator(QtProgram& program, SimProcess& bench) : Program(program), Bench(bench) {}

  // The next step when the window is ready for it; call it on every pass of the event loop.
  void Step() {
    switch (Now) {
      case Phase::Search:
        if (Expected.empty()) LinesBefore = Program.DebugLines().size();
        Program.Click(IdSearchButton);
        return Enter(Phase::Listed);
      case Phase::Listed: {
        const std::vector<std::string> listed = Program.Combo(IdGatewayCombo);
        if (listed.size() == 1 && (Expected.empty() || listed[0] == Expected))
          return Enter(Expected.empty() ? Phase::Give : Phase::Eeprom);
        if (Waited(5)) Enter(Phase::Search);  // searched again, for the same step
        return;
      }
      case Phase::Give:
        for (std::size_t i = 0; i < 3; ++i)
          Program.Replace(kMacEditIds[i], QString::fromLatin1(std::array{"0A", "0B", "0C"}[i]));
        Program.Click(IdSetIncrButton);
        return Enter(Phase::Giving);
      case Phase::Giving:
        if (const std::string line = Bench.TakeLine("rx", {"cmd=SetMacRequest"}, 0);
            !line.empty()) {
          SetMacs.push_back(line);
          Expected = Field(line, "new-mac");
          return Enter(Phase::Search);
        }
        if (SaidSince(" not sent") || SaidSince(" in use")) return Fail("Set & Incr. not sent");
        if (Waited(30)) Fail("Set & Incr. did nothing within 30 s");
        return;
      case Phase::Eeprom:
        Program.Replace(IdEepromAddressEdit, QStringLiteral("1F0"));
        Program.Replace(IdEepromValueEdit, QStringLiteral("A5"));
        Program.Click(IdSetEepromButton);
        return Enter(Phase::EepromSent);
      case Phase::EepromSent:
        if (const std::string line = Bench.TakeLine("rx", {"cmd=SetEepromRequest"}, 0);
            !line.empty()) {
          Eeproms.push_back(line);
          return Enter(Phase::Label);
        }
        if (SaidSince("SetEepromRequest not sent")) return Fail("Set EEPROM value not sent");
        if (Waited(30)) Fail("Set EEPROM value did nothing within 30 s");
        return;
      case Phase::Label: {
        // The scanner types the label's twelve digits.
        std::string label = Expected;
        std::erase(label, ' ');
        Program.Replace(IdLabelMacEdit, QString::fromStdString(label));
        Boxes = Program.Boxes.size();
        Program.Click(IdVerifyMacCheck);
        return Enter(Phase::Checking);
      }
      case Phase::Checking:
        if (Program.Boxes.size() > Boxes) {
          if (Program.Boxes.back().Text != "MAC is OK!") return Fail(Program.Boxes.back().Text);
          // A row that was not stored or not moved on fails the cycle, as it fails vellora-cli.
          if (SaidSince("could not be set to") || SaidSince("not in the line database"))
            return Fail("a row was not moved on");
          Program.Click(IdVerifyMacCheck);
          std::string mac = Expected;
          std::replace(mac.begin(), mac.end(), ' ', ':');
          Made.push_back(mac);
          Expected.clear();
          return Enter(Phase::Search);
        }
        if (Waited(30)) Fail("the label check did nothing within 30 s");
        return;
    }
  }

  std::vector<std::string> Made;     // the MACs of the cycles that ended well, "0A:0B:0C:..."
  std::vector<std::string> SetMacs;  // the simulator's lines of the window's SetMacRequests
  std::vector<std::string> Eeproms;  // and of its SetEepromRequests
  int Failed = 0;
  std::string Failures;  // what the failed cycles said

 private:
  enum class Phase { Search, Listed, Give, Giving, Eeprom, EepromSent, Label, Checking };
  using Clock = std::chrono::steady_clock;

  void Enter(Phase next) {
    Now = next;
    Since = Clock::now();
  }

  // A line of the debug list since the cycle began that holds the text.
  bool SaidSince(const std::string& text) const {
    const std::vector<std::string> lines = Program.DebugLines();
    return std::any_of(
        lines.begin() + static_cast<long>(std::min(LinesBefore, lines.size())), lines.end(),
        [&](const std::string& line) { return line.find(text) != std::string::npos; });
  }

  void Fail(const std::string& why) {
    ++Failed;
    Failures += why + ":\n";
    const std::vector<std::string> lines = Program.DebugLines();
    for (std::size_t i = std::min(LinesBefore, lines.size()); i < lines.size(); ++i)
      Failures += "  " + lines[i] + "\n";
    if (Now == Phase::Checking) Program.Click(IdVerifyMacCheck);  // the check off again
    Expected.clear();
    Enter(Phase::Search);
  }

  bool Waited(int seconds) const { return Clock::now() - Since > std::chrono::seconds(seconds); }

  QtProgram& Program;
  SimProcess& Bench;
  Phase Now = Phase::Search;
  Clock::time_point Since = Clock::now();
  std::size_t LinesBefore = 0;  // the debug list's length when the cycle began
  std::size_t Boxes = 0;        // message boxes before the label check
  std::string Expected;         // the MAC the module was given, as the list shows it
};

class LineStationsTest : public CliLineLab {
 protected:
  // One station's operator: a cycle for each module, the label scanned when the cycle asks for
  // it; a failed cycle is run again for the module on the bench, within a bound.
  void Operate(Station& station, const std::string& cycle, std::atomic<int>& made,
               std::atomic<int>& failed) {
    for (int runs = 0; static_cast<int>(station.Made.size()) < kModulesEach && runs < 100; ++runs) {
      ChildProcess run(station.Pc, {"/bin/sh", cycle}, station.Env, true);
      std::string mac;
      if (run.WaitFor([&] { return PromptedMac(run.Err(), mac); }, 30000)) {
        std::string label = mac;
        std::erase(label, ':');
        run.Input(label + "\n");
      }
      const ChildResult ended = run.Finish(60000);
      if (ended.Status == 0 && !mac.empty()) {
        station.Made.push_back(mac);
        ++made;
      } else {
        station.Failures += ended.Err + "\n";
        ++failed;
      }
    }
  }
};

TEST_F(LineStationsTest, FourStationsAndTheWindowLoopThroughAServerRestartWithoutAMacTwice) {
  std::string script;
  for (const std::string& line : GuideBlock("line-station-cycle"))
    script += line + "\n";
  ASSERT_FALSE(script.empty()) << "the guide has no station cycle";
  const std::string cycle = Folder / "cycle.sh";
  WriteFileBytes(cycle, script);
  MakePool("0A:0B:0C", 1, 999);

  const std::string cli = VELLORA_CLI_PATH;
  NamespaceLab lab;
  // The scripted stations, then the window's.
  std::vector<Station> stations(kStations + 1);
  for (int i = 0; i <= kStations; ++i) {
    Station& station = stations[i];
    const std::string net = "10.89." + std::to_string(i + 1) + ".";
    station.Name = i < kStations ? "station-" + std::to_string(i + 1) : "station-window";
    station.Pc = lab.Add("vls" + std::to_string(i + 1) + "-");
    station.Bench = lab.Add("vlb" + std::to_string(i + 1) + "-");
    lab.Link(station.Pc, "st", station.Bench, "bench");
    lab.Address(station.Pc, "st", net + "1/24");
    lab.Address(station.Bench, "bench", net + "100/24");
    lab.Address(station.Bench, "bench", net + "50/24", false);
    ASSERT_TRUE(lab.Ready());
    station.Sim = std::make_unique<SimProcess>(
        station.Bench,
        std::vector<std::string>{"--interface", "bench", "--gateways", "1", "--ip-base", net + "50",
                                 "--mac-base", "02:00:00:00:3" + std::to_string(i + 1) + ":01"});
    ASSERT_TRUE(station.Sim->Ready());
    station.Env = {"PATH=" + cli.substr(0, cli.rfind('/')) + ":/usr/sbin:/usr/bin:/sbin:/bin",
                   "VELLORA_LINE=" + Conninfo(), "IFACE=st", "STATION=" + station.Name,
                   "LOG=" + Folder / (station.Name + ".log")};
  }

  Station& window = stations[kStations];
  StartOptions options;
  options.Line = LineStart{Conninfo(), window.Name, nullptr};
  options.Expanded = true;
  ASSERT_NO_FATAL_FAILURE(StartProgram(window.Pc, options));
  WindowOperator windowOperator(*Program, *window.Sim);

  std::atomic<int> made{0}, failed{0}, done{0};
  std::vector<std::thread> operators;
  for (int i = 0; i < kStations; ++i) {
    operators.emplace_back([&, &station = stations[i]] {
      Operate(station, cycle, made, failed);
      ++done;
    });
  }
  const auto windowMade = [&] { return static_cast<int>(windowOperator.Made.size()); };
  const auto allDone = [&] { return done == kStations && windowMade() == kModulesEach; };
  // The test runs the window and its operator, and reads the simulators' lines, while it
  // waits, so that none of them blocks.
  const auto until = [&](const std::function<bool()>& condition, std::chrono::seconds bound) {
    return Program->PumpUntil(condition, static_cast<int>(std::chrono::milliseconds(bound).count()),
                              [&] {
                                if (windowMade() < kModulesEach) windowOperator.Step();
                                for (Station& station : stations)
                                  station.Sim->Pump(0);
                              });
  };
  EXPECT_TRUE(until([&] { return made + windowMade() >= kRestartAfter || allDone(); },
                    std::chrono::seconds(60)));
  // Down until a scripted station and the window have met it, then up again.
  const int failedBefore = failed, windowFailedBefore = windowOperator.Failed;
  EXPECT_TRUE(OutsideTheProgram([&] { return Server->Stop(true); }));
  EXPECT_TRUE(until(
      [&] {
        return (failed > failedBefore && windowOperator.Failed > windowFailedBefore) || allDone();
      },
      std::chrono::seconds(30)));
  EXPECT_TRUE(OutsideTheProgram([&] { return Server->Start(); })) << Server->Error();
  EXPECT_TRUE(until(allDone, std::chrono::seconds(120)));
  for (std::thread& each : operators)
    each.join();
  EndProgram();
  window.Made = windowOperator.Made;
  window.Failures = windowOperator.Failures;

  // What went out on the wire: every new MAC once, each with its row holding the very bytes.
  std::map<std::string, std::string> onTheWire;  // new MAC -> request's bytes
  std::multiset<std::string> eepromOnTheWire;
  for (Station& station : stations) {
    EXPECT_EQ(station.Made.size(), static_cast<std::size_t>(kModulesEach)) << station.Name << ":\n"
                                                                           << station.Failures;
    std::vector<std::string> setMacs = Requests(*station.Sim, "SetMacRequest", 500);
    std::vector<std::string> eeproms = Requests(*station.Sim, "SetEepromRequest");
    if (&station == &window) {  // what its operator read while it worked
      setMacs.insert(setMacs.end(), windowOperator.SetMacs.begin(), windowOperator.SetMacs.end());
      eeproms.insert(eeproms.end(), windowOperator.Eeproms.begin(), windowOperator.Eeproms.end());
    }
    for (const std::string& line : setMacs) {
      const bool fresh =
          onTheWire.emplace(ColonMac(Field(line, "new-mac")), Field(line, "hex")).second;
      EXPECT_TRUE(fresh) << "went out twice: " << line;
    }
    for (const std::string& line : eeproms)
      eepromOnTheWire.insert(Field(line, "hex"));
  }
  EXPECT_GE(failed.load(), 1) << "no scripted station met the server down";
  EXPECT_GE(windowOperator.Failed, 1) << "the window never met the server down";
  std::map<std::string, std::string> taken;  // the rows with a number: MAC -> bytes
  for (const std::string& row :
       Lines(Rows("upper(mac_after::text), encode(request, 'hex')", "serial IS NOT NULL")))
    taken[row.substr(0, 17)] = row.size() > 18 ? row.substr(18) : "";
  for (const auto& [mac, bytes] : onTheWire)
    EXPECT_EQ(taken[mac], bytes) << mac << " went out without its row";
  std::multiset<std::string> eepromRows;
  for (const std::string& row :
       Lines(Rows("encode(request, 'hex')", "command = 'eeprom' AND request IS NOT NULL")))
    eepromRows.insert(row);
  for (const std::string& bytes : eepromOnTheWire)
    EXPECT_TRUE(eepromRows.count(bytes) >= eepromOnTheWire.count(bytes)) << bytes;
  // The pool gave as many numbers as the record took, each once.
  EXPECT_EQ(Value("SELECT (SELECT next - first FROM vellora.pool) || ' ' || count(*) || ' ' || "
                  "count(DISTINCT serial) FROM vellora.record WHERE serial IS NOT NULL"),
            std::to_string(taken.size()) + " " + std::to_string(taken.size()) + " " +
                std::to_string(taken.size()));
  // Every module made was confirmed (the window does not confirm: sent) and its label found,
  // by its own station.
  for (const Station& station : stations) {
    const std::string given = &station == &window ? " sent\n" : " confirmed\n";
    for (const std::string& mac : station.Made) {
      EXPECT_EQ(Rows("station, outcome", "mac_after = '" + mac +
                                             "' AND serial IS NOT NULL OR (mac_found = '" + mac +
                                             "' AND outcome = 'label ok')"),
                station.Name + given + station.Name + " label ok")
          << mac;
    }
  }
}

}  // namespace
