#pragma once

#include <string>

#include "tests/support/pg_server.h"

// The rows of a database's production record that pass `where`, oldest first, one line each:
// the columns, joined by blanks (a NULL is left out).
std::string RecordRows(const PgServer& server, const std::string& database,
                       const std::string& columns, const std::string& where = "true");
