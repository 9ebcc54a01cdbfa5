// Stations taking serial numbers from one pool of the line database as fast as they can, each a
// process of its own with its own connection, through a real PostgreSQL server (one of the
// benchmark's own, on a Unix socket in a temporary folder): takes per second and the latency
// of a take, for 1, 4 and 8 stations.
//
//   line_pool_bench [--seconds S] [--stations 1,4,8]
//
// A take is TakeNumber as the stations call it: the number and its row in one transaction,
// then the request's bytes stored with a synchronous commit, so that the take is on the disk
// when it is reported. For comparison only, the same runs on a server with fsync off (what
// the commit's flush to the disk costs), and the take as one transaction committed
// synchronously under the pool's row lock (one flush per number, none shared).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "line/line_database.h"
#include "platform/posix/poll_event_loop.h"
#include "tests/support/pg_server.h"
#include "tools/command_line/command_line.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr MacPrefix kPrefix = {0x0A, 0x0B, 0x0C};

enum class Take { Line, OneTransaction };

// The take of the comparison: one statement, committed synchronously with the row lock held.
constexpr const char* kOneTransaction =
    "WITH taken AS (UPDATE vellora.pool SET next = next + 1 WHERE prefix = $1 AND first = "
    "(SELECT min(first) FROM vellora.pool WHERE prefix = $1 AND next <= last) AND next <= last "
    "RETURNING next - 1 AS serial) "
    "INSERT INTO vellora.record (station, command, serial, mac_after, request, outcome) "
    "SELECT $2, 'assign', serial, ($1 || ':' || regexp_replace(lpad(to_hex(serial), 6, '0'), "
    "'(..)(..)(..)', '\\1:\\2:\\3'))::macaddr, $3::bytea, 'taken' FROM taken RETURNING id";

struct StationResult {
  long Taken = 0;
  long Failed = 0;
  std::vector<float> Milliseconds;
};

// One station: takes until the time is up, in a child process; its latencies go to `out`.
[[noreturn]] void Station(const std::string& conninfo, int number, Take take, int startFd, int out,
                          std::chrono::seconds seconds) {
  PollEventLoop loop;
  LineDatabase line(loop, conninfo);
  const std::string station = "bench-" + std::to_string(number);
  char go = 0;
  if (read(startFd, &go, 1) != 1) _exit(2);
  StationResult result;
  const Clock::time_point end = Clock::now() + seconds;
  Clock::time_point started;
  bool waiting = false;
  const auto done = [&](bool ok) {
    waiting = false;
    if (!ok) {
      ++result.Failed;
      return;
    }
    ++result.Taken;
    result.Milliseconds.push_back(
        std::chrono::duration<float, std::milli>(Clock::now() - started).count());
  };
  while (Clock::now() < end) {
    started = Clock::now();
    waiting = true;
    if (take == Take::Line) {
      TakeRequest request;
      request.Prefix = kPrefix;
      request.Place.Station = station;
      request.Request = [](const MacAddress& mac) {
        return std::vector<std::uint8_t>(mac.begin(), mac.end());
      };
      line.TakeNumber(request, [&](const LineReply<TakenNumber>& reply) { done(reply.Ok()); });
    } else {
      line.Connection().Run({kOneTransaction, {PrefixText(kPrefix), station, "\\x0a0b0c"}},
                            [&](const LineReply<LineRows>& reply) { done(reply.Ok()); });
    }
    loop.RunUntil([&] { return !waiting; }, Clock::now() + std::chrono::seconds(30));
  }
  const long count = static_cast<long>(result.Milliseconds.size());
  bool written = write(out, &result.Taken, sizeof(long)) == sizeof(long) &&
                 write(out, &result.Failed, sizeof(long)) == sizeof(long);
  written = written && write(out, result.Milliseconds.data(), count * sizeof(float)) ==
                           static_cast<ssize_t>(count * sizeof(float));
  _exit(written ? 0 : 2);
}

bool ReadAll(int fd, void* into, std::size_t size) {
  auto* bytes = static_cast<char*>(into);
  while (size > 0) {
    const ssize_t got = read(fd, bytes, size);
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

// One run of `stations` processes; prints its line.
bool Run(const char* label, PgServer& server, const std::string& database, int stations, Take take,
         std::chrono::seconds seconds) {
  int start[2];
  if (pipe(start) != 0) return false;
  std::vector<pid_t> children;
  std::vector<int> outs;
  for (int i = 0; i < stations; ++i) {
    int out[2];
    if (pipe(out) != 0) return false;
    const pid_t pid = fork();
    if (pid == 0) {
      close(start[1]);
      close(out[0]);
      Station(server.Conninfo(database), i, take, start[0], out[1], seconds);
    }
    close(out[1]);
    children.push_back(pid);
    outs.push_back(out[0]);
  }
  close(start[0]);
  const Clock::time_point began = Clock::now();
  // Every station starts at once.
  const std::string go(static_cast<std::size_t>(stations), 'g');
  const bool started = write(start[1], go.data(), go.size()) == static_cast<ssize_t>(go.size());
  close(start[1]);
  long taken = 0, failed = 0;
  std::vector<float> latencies;
  bool ok = started;
  for (const int out : outs) {
    StationResult result;
    ok = ReadAll(out, &result.Taken, sizeof(long)) && ReadAll(out, &result.Failed, sizeof(long)) &&
         ok;
    std::vector<float> own(static_cast<std::size_t>(std::max(0L, result.Taken)));
    ok = ReadAll(out, own.data(), own.size() * sizeof(float)) && ok;
    latencies.insert(latencies.end(), own.begin(), own.end());
    taken += result.Taken;
    failed += result.Failed;
    close(out);
  }
  const double elapsed = std::chrono::duration<double>(Clock::now() - began).count();
  for (const pid_t pid : children)
    waitpid(pid, nullptr, 0);
  std::sort(latencies.begin(), latencies.end());
  const auto percentile = [&](double p) {
    return latencies.empty()
               ? 0.0
               : latencies[static_cast<std::size_t>(p * static_cast<double>(latencies.size() - 1))];
  };
  std::printf("%-34s %8d %9.0f %8.1f %8.1f %8ld\n", label, stations,
              static_cast<double>(taken) / elapsed, percentile(0.5), percentile(0.99), failed);
  std::fflush(stdout);
  return ok;
}

// A server with the settings, and a database with one large pool on it.
struct Setup {
  const char* Label;
  Take Kind;
  std::unique_ptr<PgServer> Server;
  std::string Database;
};

bool Prepare(Setup& setup, std::vector<std::string> settings) {
  setup.Server = std::make_unique<PgServer>(std::move(settings));
  if (!setup.Server->Running()) {
    std::fprintf(stderr, "line_pool_bench: %s\n", setup.Server->Error().c_str());
    return false;
  }
  setup.Database = setup.Server->NewDatabase();
  PollEventLoop loop;
  LineDatabase line(loop, setup.Server->Conninfo(setup.Database));
  std::optional<LineReply<PoolInitDone>> made;
  line.InitPool({kPrefix, 1, 16000000},
                [&](const LineReply<PoolInitDone>& reply) { made = reply; });
  loop.RunUntil([&] { return made.has_value(); }, Clock::now() + std::chrono::seconds(60));
  if (!made || !made->Ok()) {
    std::fprintf(stderr, "line_pool_bench: no pool: %s\n", made ? made->Message.c_str() : "");
    return false;
  }
  return true;
}

// No number given twice, and one row for each number the pool gave.
bool Consistent(const Setup& setup) {
  const auto check = setup.Server->Value(
      setup.Database,
      "SELECT (SELECT next - first FROM vellora.pool) = (SELECT count(*) FROM vellora.record) "
      "AND (SELECT count(DISTINCT mac_after) FROM vellora.record) = (SELECT count(*) FROM "
      "vellora.record)");
  if (check == "t") return true;
  std::fprintf(stderr, "line_pool_bench: %s: the pool and the record disagree\n", setup.Label);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  int seconds = 5;
  std::string counts = "1,4,8";
  CommandLine line("line_pool_bench");
  line.Number("seconds", seconds, 1, 600, "how long each run takes numbers (default 5)")
      .Text("stations", counts, 64, {"LIST", "the numbers of stations, one run each (1,4,8)"});
  if (const std::optional<int> exit = line.ParseOrExitCode(argc, argv)) return *exit;
  std::vector<int> stations;
  for (std::size_t at = 0; at < counts.size();) {
    const std::size_t comma = std::min(counts.find(',', at), counts.size());
    const auto count = ParseNumber<int>(std::string_view(counts).substr(at, comma - at));
    if (!count || *count < 1 || *count > 64) {
      std::fprintf(stderr, "line_pool_bench: --stations takes numbers of 1 to 64: %s\n",
                   counts.c_str());
      return 2;
    }
    stations.push_back(*count);
    at = comma + 1;
  }
  signal(SIGPIPE, SIG_IGN);
  const std::chrono::seconds each(seconds);
  std::printf("%-34s %8s %9s %8s %8s %8s\n", "take (server)", "stations", "takes/s", "p50 ms",
              "p99 ms", "failed");
  // The servers run side by side and the runs take turns, so that each compares with the others
  // under the same load of the machine and its disk.
  Setup setups[] = {{"line take (fsync on)", Take::Line, nullptr, {}},
                    {"line take (fsync off; comparison)", Take::Line, nullptr, {}},
                    {"one sync transaction (comparison)", Take::OneTransaction, nullptr, {}}};
  if (!Prepare(setups[0], {}) || !Prepare(setups[1], {"fsync=off"}) || !Prepare(setups[2], {}))
    return 1;
  bool ok = true;
  for (const int count : stations) {
    for (Setup& setup : setups)
      ok = Run(setup.Label, *setup.Server, setup.Database, count, setup.Kind, each) && ok;
  }
  for (const Setup& setup : setups)
    ok = Consistent(setup) && ok;
  return ok ? 0 : 1;
}
