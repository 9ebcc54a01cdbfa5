// A line of four stations, each a PC in a network namespace of its own with one module on its
// bench, with one line database for all: three loop the user guide's station cycle as it
// stands, the fourth is the window (--line), whose operator does the same cycle through its
// widgets; the server is restarted, as after a crash, while they do. Each station's operator
// scans the label the cycle asks for, and runs a cycle that failed again, as the guide says.
#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <thread>

#include "resources/control_ids.h"
#include "tests/e2e/cli_line_lab.h"
#include "tests/e2e/window_operator.h"

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
  WindowOperator windowOperator(*Program, *window.Sim, &LineStationsTest::Field,
                                {"0A", "0B", "0C"});

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
