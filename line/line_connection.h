#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "line/line_host_lookup.h"
#include "line/line_reply.h"
#include "line/line_server_text.h"
#include "platform/event_loop.h"

struct pg_conn;

// How long the line database may take.
struct LineTimeouts {
  // To connect, all hosts of the CONNINFO together.
  std::chrono::milliseconds Connect{5000};
  // For one statement; the server is told the same (statement_timeout) and so ends it itself.
  std::chrono::milliseconds Statement{5000};
  // The first wait before connecting again after a loss or a failed attempt; each failed
  // attempt doubles it, up to the longest.
  std::chrono::milliseconds RetryFirst{250};
  std::chrono::milliseconds RetryLongest{5000};
};

// One statement with its parameters, in text form (nothing: NULL). The values never become
// part of the statement's text.
struct LineStatement {
  std::string Sql;
  std::vector<std::optional<std::string>> Params;
};

// A connection to PostgreSQL that never blocks: libpq's non-blocking calls, its socket watched
// by the event loop, and a timer on connecting and on each statement. Statements run one after
// the other, in the order given. The connection is opened when a statement comes (or by Open),
// and when it is lost it is made again by itself, at once when statements wait, else after a
// growing pause.
//
// Every callback comes from the event loop, never from within Run. A callback may destroy the
// connection; the callbacks of statements not yet done are then dropped.
class LineConnection {
 public:
  using Done = std::function<void(const LineReply<LineRows>& reply)>;
  // The connection came up (`up`) or went down, with one line that says so and why.
  using StateChanged = std::function<void(bool up, const std::string& line)>;

  LineConnection(TEventLoop& loop, std::string conninfo, LineTimeouts timeouts = {});
  ~LineConnection();
  LineConnection(const LineConnection&) = delete;
  LineConnection& operator=(const LineConnection&) = delete;

  // The server as messages name it, without its password.
  const std::string& Server() const { return Described.Name; }
  const LineTimeouts& Timeouts() const { return Limits; }
  bool Up() const { return State == Phase::Up; }
  // Counts the connections made; a new one has none of the session state of the one before.
  int Generation() const { return Made; }
  // `text` as one line, with every password this connection knows masked.
  std::string Masked(const std::string& text) const;

  void SetStateListener(StateChanged listener) { Listener = std::move(listener); }
  // Starts connecting, unless connected or connecting.
  void Open();
  // Runs the statement once connected. Its callback comes once: with the rows; Unreachable
  // when the server could not be reached; Lost when the connection broke or no answer came in
  // time after the statement was sent; Failed when the server refused it.
  void Run(LineStatement statement, Done done);
  // Closes the connection and drops the statements not yet done, without calling them back;
  // it is not made again until the next Run or Open.
  void Close();

 private:
  enum class Phase { Down, Connecting, Up };
  struct Pending {
    LineStatement Statement;
    Done Callback;
  };

  void Connect();
  // Starts libpq's connection, with the hosts' addresses when they were looked up.
  void StartLibpq(const LineHostLookup::Found& hosts);
  void Advance();
  void Connected();
  void ConnectFailed(const std::string& why);
  void Broken(const std::string& why);
  void TearDown();
  void RetryLater();
  void Watch(bool read, bool write);
  void Unwatch();
  void OnReady(bool writable);
  void StartNext();
  // Whether the server still holds the idle connection open.
  bool StillOpen();
  void Flush();
  void Collect();
  void Finish();
  // Calls back; false when the callback destroyed the connection.
  bool Deliver(const Done& done, const LineReply<LineRows>& reply);
  void Tell(bool up, const std::string& line);
  std::string Seconds(std::chrono::milliseconds time) const;

  TEventLoop& Loop;
  const std::string Conninfo;
  const LineTimeouts Limits;
  LineServerText Described;
  StateChanged Listener;
  LineHostLookup Lookup;

  pg_conn* Conn = nullptr;
  Phase State = Phase::Down;
  int Made = 0;
  bool ToldDown = false;  // the last line told was that it is down
  bool Closed = false;    // by Close: not to be made again by itself
  std::chrono::milliseconds RetryPause;

  int WatchedFd = -1;
  int ReadWatch = 0, WriteWatch = 0;
  int ConnectTimer = 0, StatementTimer = 0, RetryTimer = 0, KickTimer = 0;

  std::deque<Pending> Queue;
  std::optional<Pending> Running;
  LineReply<LineRows> Collected;
  bool Flushing = false;  // libpq holds more of the statement to write

  // Expires with the connection: a callback that destroyed it is noticed.
  std::shared_ptr<char> Alive = std::make_shared<char>();
};
