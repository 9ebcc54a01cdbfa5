#include "tests/e2e/cli_line_lab.h"

#include <sstream>

#include "tests/support/line_rows.h"

PgServer* CliLineLab::Server = nullptr;

void CliLineLab::SetUpTestSuite() {
  ProgramLab::SetUpTestSuite();
  Server = new PgServer();
}

void CliLineLab::TearDownTestSuite() {
  delete Server;
  Server = nullptr;
  ProgramLab::TearDownTestSuite();
}

void CliLineLab::SetUp() {
  ProgramLab::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  ASSERT_TRUE(Server->Running() || Server->Start()) << Server->Error();
  Database = Server->NewDatabase();
  ASSERT_FALSE(Database.empty());
}

std::string CliLineLab::Rows(const std::string& columns, const std::string& where) const {
  return RecordRows(*Server, Database, columns, where);
}

std::vector<std::string> CliLineLab::CliCommand(std::vector<std::string> args,
                                                const std::vector<std::string>& env) {
  std::vector<std::string> command = {"/usr/bin/env", "-u", "VELLORA_LINE"};
  command.insert(command.end(), env.begin(), env.end());
  command.push_back(VELLORA_CLI_PATH);
  command.insert(command.end(), args.begin(), args.end());
  return command;
}

ChildResult CliLineLab::Cli(std::vector<std::string> args, const std::vector<std::string>& env) {
  return RunChild(Pc, CliCommand(std::move(args), env));
}

void CliLineLab::MakePool(const std::string& prefix, int first, int last) {
  const ChildResult made =
      RunChild("", CliCommand({"line", "init", "--line", Conninfo(), "--prefix", prefix, "--first",
                               std::to_string(first), "--last", std::to_string(last)}));
  ASSERT_EQ(made.Status, 0) << made.Err;
}

void CliLineLab::StartWindow(const std::string& netns, StartOptions options) {
  WindowNetns = netns;
  Inside = std::make_unique<InNamespace>(netns);
  ASSERT_TRUE(Inside->Entered);
  Loop = std::make_unique<QtEventLoop>();
  Sockets = std::make_unique<PosixSocketLayer>(*Loop);
  if (options.Line) options.Line->Loop = Loop.get();
  Program = std::make_unique<QtProgram>(*Sockets, options);
}

std::vector<std::string> CliLineLab::Requests(SimProcess& sim, const std::string& command,
                                              int boundMs) {
  std::vector<std::string> lines;
  for (std::string line; !(line = sim.TakeLine("rx", {"cmd=" + command}, boundMs)).empty();)
    lines.push_back(line);
  return lines;
}

std::vector<std::string> CliLineLab::Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}
