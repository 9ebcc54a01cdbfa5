#pragma once

#include <optional>
#include <string>
#include <vector>

// How a call to the line database ended.
enum class LineFailure {
  None,         // done
  Unreachable,  // the server could not be reached: nothing ran
  Lost,         // the connection broke or the answer did not come in time while the statement
                // ran: it may have been committed (a number taken then stays taken, and is
                // never given again)
  Refused,      // the line said no: an empty pool, an overlapping range, no schema
  Failed,       // the server reported an error: a right missing, a value it does not take
};

// The answer to a call: its value when done, else one line that says why. Messages name the
// server, never with its password.
template <class T>
struct LineReply {
  LineFailure Failure = LineFailure::None;
  std::string Message;
  T Value{};

  bool Ok() const { return Failure == LineFailure::None; }
};

// The rows of one statement, each value as the server writes it as text (nothing for NULL),
// and the server's error code when it refused the statement.
struct LineRows {
  std::vector<std::vector<std::optional<std::string>>> Rows;
  std::string SqlState;
};
