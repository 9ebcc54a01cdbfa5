#pragma once

// vellora-cli with the line database, end to end: the namespaces and simulators of ProgramLab,
// one PostgreSQL server of the test program's own (a Unix socket in a temporary folder, which
// every namespace reaches) and a fresh database for each test.

#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/program_lab.h"
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
  // `line init` of a pool, which must work.
  void MakePool(const std::string& prefix, int first, int last);

  static PgServer* Server;
  std::string Database;
};
