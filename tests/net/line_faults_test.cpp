// The faults a line of stations meets, against a real PostgreSQL server: the server down before
// a take, the connection lost once a number is committed or while its statement runs, the
// server restarted (as after a crash) while stations loop, the first host of two down, no
// answer in time, and passwords in messages.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>

#include "tests/support/line_lab.h"

namespace {

using namespace std::chrono_literals;

class LineFaultsTest : public LineLab {
 protected:
  // Every line the connection said about its state.
  void Listen(LineDatabase& line) {
    line.Connection().SetStateListener(
        [this](bool, const std::string& said) { StateLines += said + "\n"; });
  }
  std::string StateLines;
};

// A crash between the commit of a number and the send (no checkpoint: the next start replays
// the log) keeps the number taken; while the server is down a take takes nothing and names it.
TEST_F(LineFaultsTest, ANumberCommittedStaysTakenAndATakeWhileTheServerIsDownTakesNothing) {
  LineDatabase line(Loop, Conninfo());
  ASSERT_TRUE(Init(line, kPrefix, 1, 10).Ok());
  const auto taken = Take(line);
  ASSERT_TRUE(taken.Ok());
  ASSERT_TRUE(Server->Stop(true));
  const auto sent = Call<LineDatabase::Nothing>([&](auto done) {
    line.SetOutcome(taken.Value.RecordId, LineOutcome::Sent, "", std::move(done));
  });
  EXPECT_FALSE(sent.Ok());
  const auto down = Take(line);
  EXPECT_EQ(down.Failure, LineFailure::Unreachable) << down.Message;
  EXPECT_TRUE(Holds(down.Message, "cannot reach the line database host=" + Server->SocketFolder() +
                                      " port=5432 dbname=" + Database + " user=vellora_admin"));
  ASSERT_TRUE(Server->Start());
  EXPECT_EQ(Take(line).Value.Serial, 2u);
  EXPECT_EQ(TakenRows(), "1 taken, 2 taken");
  EXPECT_EQ(Value("SELECT encode(request, 'hex') FROM vellora.record WHERE serial = 1"),
            "0a0b0c000001");
}

TEST_F(LineFaultsTest, AnIdleConnectionNoticesTheServerGoneAndComesBackByItself) {
  LineTimeouts timeouts;
  timeouts.RetryLongest = 500ms;
  LineDatabase line(Loop, Conninfo(), timeouts);
  std::vector<bool> states;
  line.Connection().SetStateListener([&](bool up, const std::string&) { states.push_back(up); });
  line.Connection().Open();
  ASSERT_TRUE(
      Loop.RunUntil([&] { return line.Connection().Up(); }, PollEventLoop::Clock::now() + 30s));
  ASSERT_TRUE(Server->Stop());
  // Noticed without a call: the window says so at once, and refuses Set & Incr.
  ASSERT_TRUE(
      Loop.RunUntil([&] { return !line.Connection().Up(); }, PollEventLoop::Clock::now() + 30s));
  ASSERT_TRUE(Server->Start());
  ASSERT_TRUE(
      Loop.RunUntil([&] { return line.Connection().Up(); }, PollEventLoop::Clock::now() + 30s));
  EXPECT_EQ(states, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(line.Connection().Generation(), 2);
}

TEST_F(LineFaultsTest, ATakeWhoseAnswerNeverComesIsLostAndItsNumberIsNeverGivenAgain) {
  LineTimeouts timeouts;
  timeouts.Statement = 500ms;
  LineDatabase line(Loop, Conninfo(), timeouts);
  ASSERT_TRUE(Init(line, kPrefix, 1, 10).Ok());
  ASSERT_TRUE(Take(line).Ok());
  const auto backend = Call<LineRows>([&](LineDatabase::Callback<LineRows> done) {
    line.Connection().Run({"SELECT pg_backend_pid()", {}}, std::move(done));
  });
  ASSERT_TRUE(backend.Ok());
  const pid_t pid = std::atoi(backend.Value.Rows.at(0).at(0)->c_str());
  const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  ASSERT_GE(pidFd, 0);
  // The server's process for this connection stops before it reads the statement.
  ASSERT_EQ(kill(pid, SIGSTOP), 0);
  const auto lost = Take(line);
  EXPECT_EQ(lost.Failure, LineFailure::Lost);
  EXPECT_TRUE(Holds(lost.Message,
                    "may have been taken: it is never given again, and nothing may be "
                    "sent for it"));
  // Let go, it runs the statement it had been sent (commits the take) and ends.
  kill(pid, SIGCONT);
  pollfd ended{pidFd, POLLIN, 0};
  ASSERT_EQ(poll(&ended, 1, 30000), 1);
  close(pidFd);
  EXPECT_EQ(Take(line).Value.Serial, 3u);
  EXPECT_EQ(TakenRows(), "1 taken, 2 taken, 3 taken");
  EXPECT_EQ(Value("SELECT request IS NULL FROM vellora.record WHERE serial = 2"), "t");
}

TEST_F(LineFaultsTest, StationsGoOnAfterAServerCrashWithoutADuplicateNumber) {
  constexpr int kStations = 4, kRestartAt = 30, kWanted = 90;
  std::vector<std::unique_ptr<LineDatabase>> stations;
  for (int i = 0; i < kStations; ++i)
    stations.push_back(std::make_unique<LineDatabase>(Loop, Conninfo()));
  ASSERT_TRUE(Init(*stations[0], kPrefix, 1, 100000).Ok());

  std::vector<std::uint32_t> given;
  int failed = 0;
  bool restarted = false;
  std::function<void(int)> loop = [&](int station) {
    if (static_cast<int>(given.size()) >= kWanted) return;
    stations[station]->TakeNumber(
        Request("station-" + std::to_string(station)),
        [&, station](const LineReply<TakenNumber>& reply) {
          if (reply.Ok())
            given.push_back(reply.Value.Serial);
          else
            ++failed;
          if (!restarted && static_cast<int>(given.size()) >= kRestartAt) {
            restarted = true;
            // The others' statements are in flight: they end with the server.
            EXPECT_TRUE(Server->Stop(true));
            EXPECT_TRUE(Server->Start()) << Server->Error();
          }
          loop(station);
        });
  };
  for (int i = 0; i < kStations; ++i)
    loop(i);
  ASSERT_TRUE(Loop.RunUntil([&] { return static_cast<int>(given.size()) >= kWanted; },
                            PollEventLoop::Clock::now() + 120s))
      << given.size() << " given, " << failed << " failed";

  const std::set<std::uint32_t> distinct(given.begin(), given.end());
  EXPECT_EQ(distinct.size(), given.size()) << "a number was given twice";
  for (const auto& station : stations)
    EXPECT_GE(station->Connection().Generation(), 2) << "a station did not connect again";
  // Every number the pool gave has its row, and every number reported given is among them.
  EXPECT_EQ(Value("SELECT (SELECT next - first FROM vellora.pool) = "
                  "(SELECT count(*) FROM vellora.record WHERE serial IS NOT NULL)"),
            "t");
  std::string list;
  for (const std::uint32_t serial : given)
    list += (list.empty() ? "" : ",") + std::to_string(serial);
  EXPECT_EQ(Value("SELECT count(*) FROM vellora.record WHERE request IS NOT NULL AND serial IN (" +
                  list + ")"),
            std::to_string(given.size()));
}

TEST_F(LineFaultsTest, WithTheFirstOfTwoHostsDownItWorksThroughTheSecond) {
  const std::string conninfo = "host=" + Server->DeadFolder() + "," + Server->SocketFolder() +
                               " dbname=" + Database +
                               " user=vellora_admin target_session_attrs=read-write";
  LineDatabase line(Loop, conninfo);
  EXPECT_EQ(line.Server(), "host=" + Server->DeadFolder() + "," + Server->SocketFolder() +
                               " port=5432 dbname=" + Database + " user=vellora_admin");
  ASSERT_TRUE(Init(line, kPrefix, 1, 10).Ok());
  EXPECT_EQ(Take(line).Value.Serial, 1u);
  // The same as a URI, its socket folders written as percent-encoded paths.
  const auto encoded = [](std::string path) {
    for (std::size_t at; (at = path.find('/')) != std::string::npos;)
      path.replace(at, 1, "%2F");
    return path;
  };
  LineDatabase uri(Loop, "postgresql://vellora_admin@" + encoded(Server->DeadFolder()) + "," +
                             encoded(Server->SocketFolder()) + "/" + Database);
  EXPECT_EQ(Take(uri).Value.Serial, 2u);
}

TEST_F(LineFaultsTest, AHostNameIsLookedUpAndEachOfItsAddressesTriedInTurn) {
  // Port 1 of the loopback refuses. libpq gets the name's address, looked up off the loop, and
  // names the server by it (by its own look-up it would say "localhost" (127.0.0.1)); it tries
  // the socket folder first.
  LineDatabase line(Loop, "host=" + Server->DeadFolder() + ",localhost port=5432,1 dbname=x");
  const auto refused = Take(line);
  EXPECT_EQ(refused.Failure, LineFailure::Unreachable);
  EXPECT_TRUE(Holds(refused.Message, Server->DeadFolder() + "/.s.PGSQL.5432\" failed"));
  EXPECT_TRUE(Holds(refused.Message, "to server at \"127.0.0.1\", port 1 failed"));
  EXPECT_EQ(line.Server().rfind("host=" + Server->DeadFolder() + ",localhost port=5432,1 ", 0), 0u);
}

TEST_F(LineFaultsTest, NoAnswerInTimeEndsConnectingAndEndsAStatement) {
  // A socket where a server would be, which never answers.
  const std::string silent = Server->DeadFolder() + "/.s.PGSQL.5432";
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  silent.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  LineTimeouts timeouts;
  timeouts.Connect = 300ms;
  timeouts.Statement = 300ms;
  LineDatabase mute(Loop, "host=" + Server->DeadFolder() + " dbname=x user=y", timeouts);
  const auto unanswered = Take(mute);
  EXPECT_EQ(unanswered.Failure, LineFailure::Unreachable);
  EXPECT_TRUE(Holds(unanswered.Message, "no answer within 0.3 s"));
  close(listener);

  // A take that waits for a lock another session holds is ended by the server, and takes
  // nothing.
  LineDatabase line(Loop, Conninfo(), timeouts);
  ASSERT_TRUE(Init(line, kPrefix, 1, 10).Ok());
  PGconn* holder = PQconnectdb(Conninfo().c_str());
  PQclear(PQexec(holder, "BEGIN; LOCK TABLE vellora.pool IN ACCESS EXCLUSIVE MODE"));
  const auto blocked = Take(line);
  EXPECT_EQ(blocked.Failure, LineFailure::Failed) << blocked.Message;
  EXPECT_TRUE(Holds(blocked.Message, "statement timeout"));
  PQclear(PQexec(holder, "COMMIT"));
  PQfinish(holder);
  EXPECT_EQ(Take(line).Value.Serial, 1u);  // over the same connection
  EXPECT_EQ(line.Connection().Generation(), 1);
}

TEST_F(LineFaultsTest, NoMessageShowsAPassword) {
  ASSERT_EQ(Sql("CREATE ROLE vellora_password LOGIN PASSWORD 'Right-Sesame-42'"), "");
  const std::string asRole = Conninfo("vellora_password");

  LineDatabase wrong(Loop, asRole + " password=Wrong-Sesame-17");
  Listen(wrong);
  const auto refused = Take(wrong);
  EXPECT_EQ(refused.Failure, LineFailure::Unreachable);
  EXPECT_TRUE(Holds(refused.Message, "password authentication failed"));
  LineDatabase uri(Loop, "postgresql://vellora_password:Wrong-Sesame-17@/" + Database +
                             "?host=" + Server->DeadFolder());
  Listen(uri);
  const auto unreachable = Take(uri);
  EXPECT_EQ(unreachable.Failure, LineFailure::Unreachable);
  EXPECT_TRUE(Holds(unreachable.Message, "user=vellora_password"));

  LineDatabase right(Loop, asRole + " password=Right-Sesame-42");
  Listen(right);
  EXPECT_EQ(Take(right).Failure, LineFailure::Refused);  // connected: the database has no schema
  for (const std::string& text : {refused.Message, unreachable.Message, wrong.Server(),
                                  uri.Server(), right.Server(), StateLines}) {
    EXPECT_FALSE(Holds(text, "Sesame"));
  }
  EXPECT_TRUE(Holds(StateLines, "connected to the line database"));

  // A password from the password file works, and is masked as well once known.
  const std::string passFile = Server->DeadFolder() + "/pgpass";
  std::ofstream(passFile) << "*:*:*:vellora_password:Right-Sesame-42\n";
  chmod(passFile.c_str(), 0600);
  setenv("PGPASSFILE", passFile.c_str(), 1);
  LineDatabase fromFile(Loop, asRole);
  EXPECT_EQ(Take(fromFile).Failure, LineFailure::Refused);
  unsetenv("PGPASSFILE");
  EXPECT_EQ(fromFile.Connection().Masked("said Right-Sesame-42\n again"), "said **** again");
}

}  // namespace
