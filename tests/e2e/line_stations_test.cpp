// A line of three stations, each a PC in a network namespace of its own with one module on its
// bench, with one line database for all, looping the user guide's station cycle as it stands;
// the server is restarted, as after a crash, while they do. Each station's operator scans the
// label the cycle asks for, and runs a cycle that failed again, as the guide says. (The window
// as a station of the line: tests/net/line_window_test.cpp.)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <thread>

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

// One station's operator: a cycle for each module, the label scanned when the cycle asks for it;
// a failed cycle is run again for the module on the bench, within a bound.
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

using LineStationsTest = CliLineLab;

TEST_F(LineStationsTest, ThreeStationsLoopThroughAServerRestartWithoutAMacTwice) {
  std::string script;
  for (const std::string& line : GuideBlock("line-station-cycle"))
    script += line + "\n";
  ASSERT_FALSE(script.empty()) << "the guide has no station cycle";
  const std::string cycle = Folder / "cycle.sh";
  WriteFileBytes(cycle, script);
  MakePool("0A:0B:0C", 1, 999);

  const std::string cli = VELLORA_CLI_PATH;
  NamespaceLab lab;
  std::vector<Station> stations(kStations);
  for (int i = 0; i < kStations; ++i) {
    Station& station = stations[i];
    const std::string n = std::to_string(i + 1), net = "10.89." + n + ".";
    station.Name = "station-" + n;
    station.Pc = lab.Add("vls" + n + "-");
    station.Bench = lab.Add("vlb" + n + "-");
    lab.Link(station.Pc, "st", station.Bench, "bench");
    lab.Address(station.Pc, "st", net + "1/24");
    lab.Address(station.Bench, "bench", net + "100/24");
    lab.Address(station.Bench, "bench", net + "50/24", false);
    ASSERT_TRUE(lab.Ready());
    station.Sim = std::make_unique<SimProcess>(
        station.Bench,
        std::vector<std::string>{"--interface", "bench", "--gateways", "1", "--ip-base", net + "50",
                                 "--mac-base", "02:00:00:00:3" + n + ":01"});
    ASSERT_TRUE(station.Sim->Ready());
    station.Env = {"PATH=" + cli.substr(0, cli.rfind('/')) + ":/usr/sbin:/usr/bin:/sbin:/bin",
                   "VELLORA_LINE=" + Conninfo(), "IFACE=st", "STATION=" + station.Name,
                   "LOG=" + Folder / (station.Name + ".log")};
  }

  std::atomic<int> made{0}, failed{0}, done{0};
  std::vector<std::thread> operators;
  for (Station& station : stations) {
    operators.emplace_back([&] {
      Operate(station, cycle, made, failed);
      ++done;
    });
  }
  // The test reads the simulators' lines while it waits for the stations, so that none of the
  // simulators blocks on its output.
  const auto until = [&](const std::function<bool()>& condition, std::chrono::seconds bound) {
    for (const auto end = std::chrono::steady_clock::now() + bound; !condition();) {
      if (std::chrono::steady_clock::now() > end) return false;
      for (Station& station : stations)
        station.Sim->Pump(10);
    }
    return true;
  };
  EXPECT_TRUE(
      until([&] { return made >= kRestartAfter || done == kStations; }, std::chrono::seconds(60)));
  // Down until a station has met it, then up again.
  const int failedBefore = failed;
  EXPECT_TRUE(Server->Stop(true));
  EXPECT_TRUE(
      until([&] { return failed > failedBefore || done == kStations; }, std::chrono::seconds(30)));
  EXPECT_TRUE(Server->Start()) << Server->Error();
  EXPECT_TRUE(until([&] { return done == kStations; }, std::chrono::seconds(120)));
  for (std::thread& each : operators)
    each.join();

  // What went out on the wire: every new MAC once, each with its row holding the very bytes.
  std::map<std::string, std::string> onTheWire;  // new MAC -> request's bytes
  std::multiset<std::string> eepromOnTheWire;
  for (Station& station : stations) {
    EXPECT_EQ(station.Made.size(), static_cast<std::size_t>(kModulesEach)) << station.Name << ":\n"
                                                                           << station.Failures;
    for (const std::string& line : Requests(*station.Sim, "SetMacRequest", 500)) {
      std::string mac = Field(line, "new-mac");
      std::replace(mac.begin(), mac.end(), ' ', ':');
      EXPECT_TRUE(onTheWire.emplace(mac, Field(line, "hex")).second) << "went out twice: " << line;
    }
    for (const std::string& line : Requests(*station.Sim, "SetEepromRequest"))
      eepromOnTheWire.insert(Field(line, "hex"));
  }
  EXPECT_GE(failed.load(), 1) << "no station met the server down";
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
  // Every module made was confirmed and its label found, by its own station.
  for (const Station& station : stations) {
    for (const std::string& mac : station.Made) {
      EXPECT_EQ(Rows("station, outcome", "mac_after = '" + mac +
                                             "' AND serial IS NOT NULL OR (mac_found = '" + mac +
                                             "' AND outcome = 'label ok')"),
                station.Name + " confirmed\n" + station.Name + " label ok")
          << mac;
    }
  }
}

}  // namespace
