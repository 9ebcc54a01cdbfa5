#include "tests/support/line_rows.h"

std::string RecordRows(const PgServer& server, const std::string& database,
                       const std::string& columns, const std::string& where) {
  return server
      .Value(database, "SELECT coalesce(string_agg(concat_ws(' ', " + columns +
                           "), E'\\n' ORDER BY id), '') FROM vellora.record WHERE " + where)
      .value_or("(no answer)");
}
