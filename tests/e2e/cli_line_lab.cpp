#include "tests/e2e/cli_line_lab.h"

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

void CliLineLab::MakePool(const std::string& prefix, int first, int last) {
  const ChildResult made =
      RunChild("", CliCommand({"line", "init", "--line", Conninfo(), "--prefix", prefix, "--first",
                               std::to_string(first), "--last", std::to_string(last)}));
  ASSERT_EQ(made.Status, 0) << made.Err;
}
