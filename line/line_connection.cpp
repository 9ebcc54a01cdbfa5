#include "line/line_connection.h"

#include <poll.h>

#include <algorithm>

#include "line/libpq_library.h"
#include "protocol/text_values.h"

using namespace std::chrono_literals;

namespace {

// The server ends a statement after the statement timeout; the client waits a little longer,
// for the server's own answer to come over the network.
constexpr std::chrono::milliseconds kServerSlack = 2000ms;

// libpq was loaded by DescribeConninfo: a CONNINFO it could not read never gets this far.
const LibPq& Pq() {
  std::string why;
  return *LibPqFunctions(why);
}

// The server's reason for refusing a statement: its message and detail, one line.
std::string ServerReason(const PGresult* result) {
  const char* primary = Pq().ResultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
  const char* detail = Pq().ResultErrorField(result, PG_DIAG_MESSAGE_DETAIL);
  std::string reason = primary ? primary : Pq().ResultErrorMessage(result);
  if (detail) reason += std::string(" (") + detail + ")";
  return reason;
}

}  // namespace

LineConnection::LineConnection(TEventLoop& loop, std::string conninfo, LineTimeouts timeouts)
    : Loop(loop),
      Conninfo(std::move(conninfo)),
      Limits(timeouts),
      Described(DescribeConninfo(Conninfo)),
      Lookup(loop),
      RetryPause(timeouts.RetryFirst) {
  if (!Described.Error.empty()) Described.Name = "(no CONNINFO)";
}

LineConnection::~LineConnection() {
  Alive.reset();
  TearDown();
  Loop.StopTimer(KickTimer);
}

std::string LineConnection::Masked(const std::string& text) const {
  return MaskSecrets(text, Described.Secrets);
}

void LineConnection::Open() {
  Closed = false;
  if (State == Phase::Down && !KickTimer) {
    KickTimer = Loop.StartTimer(0ms, [this] {
      KickTimer = 0;
      if (State == Phase::Down) Connect();
    });
  }
}

void LineConnection::Run(LineStatement statement, Done done) {
  Closed = false;
  Queue.push_back({std::move(statement), std::move(done)});
  if (KickTimer) return;
  KickTimer = Loop.StartTimer(0ms, [this] {
    KickTimer = 0;
    if (State == Phase::Down)
      Connect();
    else if (State == Phase::Up)
      StartNext();
  });
}

void LineConnection::Close() {
  Closed = true;
  TearDown();
  Queue.clear();
  Running.reset();
  Loop.StopTimer(KickTimer);
  KickTimer = 0;
}

void LineConnection::Connect() {
  Loop.StopTimer(RetryTimer);
  RetryTimer = 0;
  if (!Described.Error.empty()) return ConnectFailed("not a connection string: " + Described.Error);
  State = Phase::Connecting;
  ConnectTimer = Loop.StartTimer(Limits.Connect, [this] {
    ConnectTimer = 0;
    ConnectFailed("no answer within " + Seconds(Limits.Connect));
  });
  if (!LineHostLookup::Needed(Conninfo)) return StartLibpq({});
  Lookup.Start(Conninfo, [this](const LineHostLookup::Found& hosts) {
    if (!hosts.Error.empty() && hosts.Host.empty()) return ConnectFailed(hosts.Error);
    StartLibpq(hosts);
  });
}

void LineConnection::StartLibpq(const LineHostLookup::Found& hosts) {
  // The CONNINFO comes after the encoding, so that it may choose another one, and before the
  // hosts' addresses, which stand for its names.
  std::vector<const char*> keys = {"client_encoding", "dbname", "fallback_application_name"};
  std::vector<const char*> values = {"UTF8", Conninfo.c_str(), "vellora"};
  if (!hosts.Host.empty()) {
    keys.insert(keys.end(), {"host", "hostaddr"});
    values.insert(values.end(), {hosts.Host.c_str(), hosts.HostAddr.c_str()});
  }
  if (!hosts.Port.empty()) {
    keys.push_back("port");
    values.push_back(hosts.Port.c_str());
  }
  keys.push_back(nullptr);
  values.push_back(nullptr);
  Conn = Pq().ConnectStartParams(keys.data(), values.data(), 1);
  if (!Conn) return ConnectFailed("out of memory");
  if (Pq().Status(Conn) == CONNECTION_BAD) return ConnectFailed(Pq().ErrorMessage(Conn));
  // Notices (the server's warnings) would go to stderr; nothing here needs them.
  Pq().SetNoticeReceiver(
      Conn, [](void*, const PGresult*) {}, nullptr);
  // Before the first poll libpq waits to write, as after a poll that asked for it.
  Watch(false, true);
}

void LineConnection::Advance() {
  switch (Pq().ConnectPoll(Conn)) {
    case PGRES_POLLING_READING:
      return Watch(true, false);
    case PGRES_POLLING_WRITING:
      return Watch(false, true);
    case PGRES_POLLING_OK:
      return Connected();
    default:
      return ConnectFailed(Pq().ErrorMessage(Conn));
  }
}

void LineConnection::Connected() {
  Loop.StopTimer(ConnectTimer);
  ConnectTimer = 0;
  Pq().SetNonblocking(Conn, 1);
  if (const char* password = Pq().Pass(Conn); password && *password) {
    if (std::find(Described.Secrets.begin(), Described.Secrets.end(), password) ==
        Described.Secrets.end())
      Described.Secrets.emplace_back(password);
  }
  State = Phase::Up;
  ++Made;
  RetryPause = Limits.RetryFirst;
  Watch(true, false);
  // The server ends a statement, or a transaction left open, that outlives the timeout itself;
  // the connection then stays usable.
  Queue.push_front({{"SELECT set_config('statement_timeout', $1, false), "
                     "set_config('idle_in_transaction_session_timeout', $1, false)",
                     {std::to_string(Limits.Statement.count())}},
                    [](const LineReply<LineRows>&) {}});
  const std::weak_ptr<char> alive = Alive;
  Tell(true, "connected to the line database " + Server());
  if (!alive.expired()) StartNext();
}

void LineConnection::ConnectFailed(const std::string& why) {
  const std::string line = "cannot reach the line database " + Server() + ": " + Masked(why);
  TearDown();
  const std::weak_ptr<char> alive = Alive;
  if (!ToldDown) Tell(false, line);
  std::deque<Pending> waiting;
  waiting.swap(Queue);
  for (const Pending& pending : waiting) {
    if (alive.expired() || !Deliver(pending.Callback, {LineFailure::Unreachable, line, {}})) return;
  }
  if (State == Phase::Down && !KickTimer) RetryLater();
}

void LineConnection::Broken(const std::string& why) {
  const std::string line =
      "lost the connection to the line database " + Server() + ": " + Masked(why);
  std::optional<Pending> running = std::move(Running);
  Running.reset();
  TearDown();
  const std::weak_ptr<char> alive = Alive;
  Tell(false, line);
  if (alive.expired()) return;
  if (running && !Deliver(running->Callback, {LineFailure::Lost, line, {}})) return;
  if (State != Phase::Down) return;
  if (Queue.empty())
    RetryLater();
  else
    Connect();  // they were not sent: they may go over a new connection
}

void LineConnection::TearDown() {
  Lookup.Forget();
  Unwatch();
  for (int* timer : {&ConnectTimer, &StatementTimer, &RetryTimer}) {
    Loop.StopTimer(*timer);
    *timer = 0;
  }
  if (Conn) Pq().Finish(Conn);
  Conn = nullptr;
  Flushing = false;
  State = Phase::Down;
}

void LineConnection::RetryLater() {
  if (Closed) return;
  RetryTimer = Loop.StartTimer(RetryPause, [this] {
    RetryTimer = 0;
    if (State == Phase::Down) Connect();
  });
  RetryPause = std::min(RetryPause * 2, Limits.RetryLongest);
}

void LineConnection::Watch(bool read, bool write) {
  const int fd = Pq().Socket(Conn);
  // While connecting, libpq may close the socket and open another for the next host, and the
  // new one may get the same number: the watches are made anew at each step.
  if (fd != WatchedFd || State == Phase::Connecting) {
    Unwatch();
    if (fd < 0) return ConnectFailed("libpq has no socket");
    WatchedFd = fd;
    ReadWatch = Loop.AddWatch(fd, TEventLoop::WatchKind::Read, [this] { OnReady(false); });
    WriteWatch = Loop.AddWatch(fd, TEventLoop::WatchKind::Write, [this] { OnReady(true); });
  }
  Loop.EnableWatch(ReadWatch, read);
  Loop.EnableWatch(WriteWatch, write);
}

void LineConnection::Unwatch() {
  if (ReadWatch) Loop.RemoveWatch(ReadWatch);
  if (WriteWatch) Loop.RemoveWatch(WriteWatch);
  ReadWatch = WriteWatch = 0;
  WatchedFd = -1;
}

void LineConnection::OnReady(bool writable) {
  if (State == Phase::Connecting) return Advance();
  if (State != Phase::Up) return;
  if (writable) return Flush();
  if (!Pq().ConsumeInput(Conn)) return Broken(Pq().ErrorMessage(Conn));
  while (PGnotify* notice = Pq().Notifies(Conn))
    Pq().Freemem(notice);
  // libpq may need to read before it can write the rest of a statement.
  if (Flushing) Flush();
  if (State != Phase::Up) return;
  if (Running) return Collect();
  // Idle, the server speaks only to say goodbye (a restart, an administrator's command).
  if (Pq().Status(Conn) == CONNECTION_BAD) Broken(Pq().ErrorMessage(Conn));
}

void LineConnection::StartNext() {
  if (State != Phase::Up || Running || Queue.empty()) return;
  // A connection the server has closed meanwhile (a restart) is made anew before the statement
  // goes: a statement never sent is known not to have run.
  if (!StillOpen()) {
    const std::string line = "lost the connection to the line database " + Server() + ": " +
                             Masked(Pq().ErrorMessage(Conn));
    TearDown();
    const std::weak_ptr<char> alive = Alive;
    Tell(false, line);
    if (!alive.expired() && State == Phase::Down) Connect();
    return;
  }
  Running = std::move(Queue.front());
  Queue.pop_front();
  Collected = {};
  const LineStatement& statement = Running->Statement;
  std::vector<const char*> values;
  for (const std::optional<std::string>& param : statement.Params)
    values.push_back(param ? param->c_str() : nullptr);
  if (!Pq().SendQueryParams(Conn, statement.Sql.c_str(), static_cast<int>(values.size()), nullptr,
                            values.data(), nullptr, nullptr, 0))
    return Broken(Pq().ErrorMessage(Conn));
  const std::chrono::milliseconds bound = Limits.Statement + kServerSlack;
  StatementTimer = Loop.StartTimer(bound, [this, bound] {
    StatementTimer = 0;
    Broken("no answer within " + Seconds(bound));
  });
  Flush();
}

bool LineConnection::StillOpen() {
  // What came while idle is read to its end: a goodbye is a message, then the end of the
  // stream, which libpq sees only on a read of its own.
  for (int reads = 0; reads < 8; ++reads) {
    pollfd ready{Pq().Socket(Conn), POLLIN, 0};
    if (poll(&ready, 1, 0) <= 0) break;
    if (!Pq().ConsumeInput(Conn)) return false;
  }
  return Pq().Status(Conn) != CONNECTION_BAD;
}

void LineConnection::Flush() {
  const int flushed = Pq().Flush(Conn);
  if (flushed < 0) return Broken(Pq().ErrorMessage(Conn));
  Flushing = flushed == 1;
  Loop.EnableWatch(WriteWatch, Flushing);
}

void LineConnection::Collect() {
  while (Running && !Pq().IsBusy(Conn)) {
    PGresult* result = Pq().GetResult(Conn);
    if (!result) return Finish();
    const ExecStatusType status = Pq().ResultStatus(result);
    if (Collected.Ok() && (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK)) {
      const int rows = Pq().Ntuples(result), columns = Pq().Nfields(result);
      for (int row = 0; row < rows; ++row) {
        std::vector<std::optional<std::string>>& values = Collected.Value.Rows.emplace_back();
        for (int column = 0; column < columns; ++column) {
          values.push_back(Pq().Getisnull(result, row, column)
                               ? std::nullopt
                               : std::optional<std::string>(Pq().Getvalue(result, row, column)));
        }
      }
    } else if (Collected.Ok() && status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
      const char* state = Pq().ResultErrorField(result, PG_DIAG_SQLSTATE);
      Collected.Failure = LineFailure::Failed;
      Collected.Value.SqlState = state ? state : "";
      Collected.Message = "the line database " + Server() +
                          " refused the statement: " + Masked(ServerReason(result));
    }
    Pq().Clear(result);
    // A result that says the connection broke is no answer to the statement.
    if (Pq().Status(Conn) == CONNECTION_BAD) return Broken(Pq().ErrorMessage(Conn));
  }
  if (Running && Pq().Status(Conn) == CONNECTION_BAD) Broken(Pq().ErrorMessage(Conn));
}

void LineConnection::Finish() {
  Loop.StopTimer(StatementTimer);
  StatementTimer = 0;
  const Pending done = std::move(*Running);
  Running.reset();
  const LineReply<LineRows> reply = std::move(Collected);
  Collected = {};
  if (!Deliver(done.Callback, reply)) return;
  StartNext();
}

bool LineConnection::Deliver(const Done& done, const LineReply<LineRows>& reply) {
  const std::weak_ptr<char> alive = Alive;
  if (done) done(reply);
  return !alive.expired();
}

void LineConnection::Tell(bool up, const std::string& line) {
  ToldDown = !up;
  if (Listener) Listener(up, line);
}

std::string LineConnection::Seconds(std::chrono::milliseconds time) const {
  return Format("%g s", static_cast<double>(time.count()) / 1000.0);
}
