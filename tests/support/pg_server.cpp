#include "tests/support/pg_server.h"

#include <fcntl.h>
#include <grp.h>
#include <libpq-fe.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kFolderPrefix = "vellora-pg-";
constexpr auto kBound = std::chrono::seconds(60);

std::string Bin(const char* program) {
  return std::string(VELLORA_PG_BINDIR) + "/" + program;
}

// Folders of tests that were killed: their process is gone.
void RemoveLeftovers() {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator("/tmp", error)) {
    const std::string name = entry.path().filename();
    if (!name.starts_with(kFolderPrefix)) continue;
    const long pid = std::atol(name.c_str() + std::strlen(kFolderPrefix));
    if (pid > 0 && !fs::exists("/proc/" + std::to_string(pid))) fs::remove_all(entry, error);
  }
}

std::string LastLines(const std::string& path) {
  std::ifstream file(path);
  std::string line, last;
  while (std::getline(file, line))
    last = last.size() > 2000 ? line : last + line + "\n";
  return last;
}

// The 8th line of postmaster.pid is the server's state; "ready" once it takes connections.
bool SaysReady(const std::string& pidFile, pid_t pid) {
  std::ifstream file(pidFile);
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (number == 1 && std::atol(line.c_str()) != pid) return false;
    if (number == 8) return line.starts_with("ready");
  }
  return false;
}

// Waits for the pidfd to say that the process ended, at most `bound`.
bool WaitEnd(int pidFd, std::chrono::milliseconds bound) {
  pollfd p{pidFd, POLLIN, 0};
  return poll(&p, 1, static_cast<int>(bound.count())) > 0;
}

}  // namespace

PgServer::PgServer(std::vector<std::string> settings) : Settings(std::move(settings)) {
  if (access(Bin("initdb").c_str(), X_OK) != 0) {
    Why = "the PostgreSQL server is not installed (no " + Bin("initdb") +
          "): scripts/install-deps.sh installs it";
    return;
  }
  RemoveLeftovers();
  std::string pattern = "/tmp/" + std::string(kFolderPrefix) + std::to_string(getpid()) + "-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    Why = "cannot make a temporary folder";
    return;
  }
  Folder = pattern;
  OwnerUid = geteuid();
  OwnerGid = getegid();
  if (OwnerUid == 0) {
    const passwd* nobody = getpwnam("nobody");
    if (!nobody) {
      Why = "there is no user nobody to run the server as";
      return;
    }
    OwnerUid = nobody->pw_uid;
    OwnerGid = nobody->pw_gid;
  }
  mkdir(DeadFolder().c_str(), 0700);
  if (chown(Folder.c_str(), OwnerUid, OwnerGid) != 0) {
    Why = "cannot give the folder to the server's user";
    return;
  }
  if (!RunAsOwner({Bin("initdb"), "-D", Folder + "/data", "-U", kAdmin, "--auth=trust", "-E",
                   "UTF8", "--locale=C", "--no-sync", "--no-instructions"},
                  Folder + "/initdb.log")) {
    Why = "initdb failed: " + LastLines(Folder + "/initdb.log");
    return;
  }
  // One role logs in with a password (for the tests of its masking), every other one without.
  const std::string hba = Folder + "/data/pg_hba.conf";
  std::ofstream(hba) << "local all vellora_password scram-sha-256\nlocal all all trust\n";
  if (chown(hba.c_str(), OwnerUid, OwnerGid) != 0) {
    Why = "cannot give pg_hba.conf to the server's user";
    return;
  }
  Start();
}

PgServer::~PgServer() {
  if (Running()) Stop();
  if (!Folder.empty()) {
    std::error_code error;
    fs::remove_all(Folder, error);
  }
}

pid_t PgServer::Spawn(std::vector<std::string> argv, const std::string& output, bool server) {
  std::vector<char*> args;
  for (std::string& arg : argv)
    args.push_back(arg.data());
  args.push_back(nullptr);
  const bool root = geteuid() == 0;
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    if (root && (setgroups(0, nullptr) != 0 || setgid(OwnerGid) != 0 || setuid(OwnerUid) != 0))
      _exit(126);
    // Set after the change of user, which clears it: a dying test takes its server along
    // (immediate shutdown, which ends the server's own processes too).
    if (server) prctl(PR_SET_PDEATHSIG, SIGQUIT);
    if (server && getppid() != parent) _exit(125);
    execv(args[0], args.data());
    _exit(127);
  }
  return pid;
}

bool PgServer::RunAsOwner(std::vector<std::string> argv, const std::string& output) {
  const pid_t pid = Spawn(std::move(argv), output, false);
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

bool PgServer::Start() {
  if (Running()) return true;
  std::vector<std::string> argv = {Bin("postgres"), "-D", Folder + "/data",   "-k",
                                   Folder,          "-c", "listen_addresses="};
  for (const std::string& setting : Settings)
    argv.insert(argv.end(), {"-c", setting});
  const std::string log = Folder + "/server.log";
  const pid_t pid = Spawn(std::move(argv), log, true);
  if (pid < 0) {
    Why = "cannot start the server";
    return false;
  }
  Pid = pid;
  PidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (WaitReady()) return true;
  Why = "the server did not start: " + LastLines(log);
  Stop(true);
  return false;
}

bool PgServer::WaitReady() {
  const std::string data = Folder + "/data";
  const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  inotify_add_watch(watch, data.c_str(), IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO);
  const Clock::time_point deadline = Clock::now() + kBound;
  bool ready = false;
  // The state is checked after the watch is made, so that no change goes unseen.
  while (!(ready = SaysReady(data + "/postmaster.pid", Pid))) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd fds[2] = {{watch, POLLIN, 0}, {PidFd, POLLIN, 0}};
    if (left.count() <= 0 || poll(fds, 2, static_cast<int>(left.count())) <= 0) break;
    if (fds[1].revents) break;  // the server ended
    char events[4096];
    while (read(watch, events, sizeof events) > 0) {
    }
  }
  close(watch);
  return ready;
}

bool PgServer::Stop(bool immediate) {
  if (!Running()) return true;
  kill(Pid, immediate ? SIGQUIT : SIGINT);
  if (!WaitEnd(PidFd, kBound)) kill(Pid, SIGKILL);
  int status = 0;
  waitpid(Pid, &status, 0);
  close(PidFd);
  Pid = -1;
  PidFd = -1;
  return true;
}

std::string PgServer::Conninfo(const std::string& database, const std::string& user) const {
  return "host=" + Folder + " dbname=" + database + " user=" + user;
}

std::optional<std::string> PgServer::Query(const std::string& database, const std::string& sql,
                                           std::string& error) const {
  PGconn* conn = PQconnectdb(Conninfo(database).c_str());
  std::optional<std::string> value;
  if (PQstatus(conn) != CONNECTION_OK) {
    error = PQerrorMessage(conn);
  } else {
    PGresult* result = PQexec(conn, sql.c_str());
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
      error = PQresultErrorMessage(result);
    else if (PQntuples(result) > 0 && !PQgetisnull(result, 0, 0))
      value = PQgetvalue(result, 0, 0);
    PQclear(result);
  }
  PQfinish(conn);
  return value;
}

std::string PgServer::Sql(const std::string& database, const std::string& sql) const {
  std::string error;
  Query(database, sql, error);
  return error;
}

std::optional<std::string> PgServer::Value(const std::string& database,
                                           const std::string& sql) const {
  std::string error;
  return Query(database, sql, error);
}

std::string PgServer::NewDatabase(const std::string& owner) {
  const std::string name = "line" + std::to_string(++Databases);
  const std::string error = Sql("postgres", "CREATE DATABASE " + name + " OWNER " + owner);
  return error.empty() ? name : std::string();
}
