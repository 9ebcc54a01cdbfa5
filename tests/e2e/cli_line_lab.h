#pragma once

// vellora-cli with the line database, end to end: the namespaces and simulators of ProgramLab,
// one PostgreSQL server of the test program's own (a Unix socket in a temporary folder, which
// every namespace reaches) and a fresh database for each test.

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/program_lab.h"
#include "tests/support/child_run.h"
#include "tests/support/pg_server.h"

class CliLineLab : public ProgramLab {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;

  // The test's database as its owner, the superuser.
  std::string Conninfo() const { return Server->Conninfo(Database); }
  std::string Sql(const std::string& sql) const { return Server->Sql(Database, sql); }
  std::optional<std::string> Value(const std::string& sql) const {
    return Server->Value(Database, sql);
  }
  // The rows of the record that pass `where`, oldest first, one line each: the columns, joined
  // by blanks (a NULL is left out).
  std::string Rows(const std::string& columns, const std::string& where = "true") const;

  // vellora-cli in the PC namespace, its environment without VELLORA_LINE but with `env`
  // ("NAME=value").
  static ChildResult Cli(std::vector<std::string> args, const std::vector<std::string>& env = {});
  // The command line of such a run, for a child the test goes on beside.
  static std::vector<std::string> CliCommand(std::vector<std::string> args,
                                             const std::vector<std::string>& env = {});
  // `line init` of a pool, which must work.
  void MakePool(const std::string& prefix, int first, int last);

  // The window started with the options inside the namespace, the test thread with it; with a
  // line database its connection runs on the window's event loop.
  void StartWindow(const std::string& netns, StartOptions options);
  // Runs the call with the test thread outside the window's namespace (pg_ctl's server is not
  // to be started inside it); the window's events wait meanwhile.
  template <class F>
  auto OutsideTheWindow(F call) {
    Inside.reset();
    const auto result = call();
    Inside = std::make_unique<InNamespace>(WindowNetns);
    return result;
  }

  // The simulator's lines of the requests of the command not yet taken, each taken: those it
  // printed until none came within the bound.
  static std::vector<std::string> Requests(SimProcess& sim, const std::string& command,
                                           int boundMs = 300);
  static std::vector<std::string> Lines(const std::string& text);

  static PgServer* Server;
  std::string Database;
  std::string WindowNetns;
};
