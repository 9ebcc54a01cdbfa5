#include "tests/e2e/program_lab.h"

#include <unistd.h>

#include "resources/control_ids.h"
#include "tests/support/readme_block.h"

std::unique_ptr<NamespaceLab> ProgramLab::Lab;
std::string ProgramLab::Pc, ProgramLab::GwA, ProgramLab::GwB;

void ProgramLab::SetUpTestSuite() {
  if (!CanMakeNamespaces()) return;
  Lab = std::make_unique<NamespaceLab>();
  Pc = Lab->Add("vepc-");
  GwA = Lab->Add("vega-");
  GwB = Lab->Add("vegb-");
  Lab->Link(Pc, "pa", GwA, "ga");
  Lab->Link(Pc, "pb", GwB, "gb");
  Lab->Address(Pc, "pa", "10.88.1.1/24");
  Lab->Address(Pc, "pa", "10.88.1.2/24", true, "pa:2");
  Lab->Address(Pc, "pb", "10.88.2.1/24", false);  // no broadcast attribute on purpose
  Lab->Address(GwA, "ga", "10.88.1.100/24");
  for (const char* module : {"10.88.1.50/24", "10.88.1.51/24", "10.88.1.52/24"})
    Lab->Address(GwA, "ga", module, false);
  Lab->Address(GwB, "gb", "10.88.2.100/24");
  Lab->Address(GwB, "gb", "10.88.2.50/24", false);
}

void ProgramLab::TearDownTestSuite() {
  Lab.reset();
}

void ProgramLab::SetUp() {
  if (!CanMakeNamespaces()) GTEST_SKIP() << "needs root and iproute2 for network namespaces";
  ASSERT_TRUE(Lab && Lab->Ready()) << "could not set up the namespaces";
}

void ProgramLab::TearDown() {
  EndProgram();
  SimA.reset();
  SimB.reset();
}

void ProgramLab::EndProgram() {
  Program.reset();
  Sockets.reset();
  Loop.reset();
  Inside.reset();
}

void ProgramLab::StartSimulatorA(const std::vector<std::string>& extra) {
  std::vector<std::string> args = {"--interface", "ga",        "--gateways",
                                   "3",           "--ip-base", "10.88.1.50"};
  args.insert(args.end(), extra.begin(), extra.end());
  SimA = std::make_unique<SimProcess>(GwA, args);
  ASSERT_TRUE(SimA->Ready()) << "simulator A did not start";
}

void ProgramLab::StartSimulatorB(const std::vector<std::string>& extra) {
  std::vector<std::string> args = {"--interface", "gb",         "--gateways", "1",
                                   "--ip-base",   "10.88.2.50", "--mac-base", "02:00:00:00:20:01"};
  args.insert(args.end(), extra.begin(), extra.end());
  SimB = std::make_unique<SimProcess>(GwB, args);
  ASSERT_TRUE(SimB->Ready()) << "simulator B did not start";
}

void ProgramLab::StartProgram(const std::string& netns) {
  Inside = std::make_unique<InNamespace>(netns.empty() ? Pc : netns);
  ASSERT_TRUE(Inside->Entered);
  Loop = std::make_unique<QtEventLoop>();
  Sockets = std::make_unique<PosixSocketLayer>(*Loop);
  Program = std::make_unique<QtProgram>(*Sockets);
}

void ProgramLab::StartWithModules(const std::vector<std::string>& extra) {
  ASSERT_NO_FATAL_FAILURE(StartSimulatorA(extra));
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  ASSERT_TRUE(Until([&] { return Program->Combo(IdGatewayCombo).size() == 3; }));
}

bool ProgramLab::Until(const std::function<bool()>& condition, int boundMs) {
  return Program->PumpUntil(condition, boundMs, [this] {
    if (SimA) SimA->Pump(0);
    if (SimB) SimB->Pump(0);
  });
}

std::string ProgramLab::Received(SimProcess& sim, const std::string& command, int boundMs) {
  std::string line;
  Until(
      [&] {
        line = sim.TakeLine("rx", {"cmd=" + command}, 0);
        return !line.empty();
      },
      boundMs);
  return line;
}

std::string ProgramLab::Field(const std::string& line, const std::string& key) {
  const std::size_t at = line.find(" " + key + "=");
  if (at == std::string::npos) return {};
  const std::size_t start = at + key.size() + 2;
  if (start < line.size() && line[start] == '"') {
    return line.substr(start + 1, line.find('"', start + 1) - start - 1);
  }
  return line.substr(start, line.find(' ', start) - start);
}

std::vector<std::string> GuideBlock(const std::string& tag) {
  return DocumentBlock(VELLORA_GUIDE, tag);
}
