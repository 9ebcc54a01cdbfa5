#pragma once

// A PostgreSQL server of a test's own, for the line database's tests and benchmark: initdb in a
// temporary folder, the server listening only on a Unix socket in that folder (no TCP port, no
// system service touched), run as an unprivileged user ("nobody" when the test runs as root,
// which PostgreSQL refuses to be, else the test's own user). The server is the test's child:
// stopped and the folder removed when the PgServer goes, killed with the test if it dies, and
// a folder left by a killed test is removed by the next one.

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

class PgServer {
 public:
  // `settings` are extra server settings, "name=value" ("fsync=off").
  explicit PgServer(std::vector<std::string> settings = {});
  ~PgServer();
  PgServer(const PgServer&) = delete;
  PgServer& operator=(const PgServer&) = delete;

  // Whether it runs; else Error() says why it does not.
  bool Running() const { return Pid > 0; }
  const std::string& Error() const { return Why; }
  // The folder of the server's socket, and a folder beside it where no server listens.
  const std::string& SocketFolder() const { return Folder; }
  std::string DeadFolder() const { return Folder + "/dead"; }
  // The server's client authentication file.
  std::string HbaFile() const { return Folder + "/data/pg_hba.conf"; }

  // A CONNINFO for a database as a role (by default the superuser "vellora_admin").
  std::string Conninfo(const std::string& database, const std::string& user = kAdmin) const;
  // Runs statements (several, separated by ';') as the superuser in the database; yields the
  // server's error, empty when they worked.
  std::string Sql(const std::string& database, const std::string& sql) const;
  // The first value of the first row of a query as the superuser; nothing on an error or NULL.
  std::optional<std::string> Value(const std::string& database, const std::string& sql) const;
  // A fresh database, owned by the role; yields its name.
  std::string NewDatabase(const std::string& owner = kAdmin);

  // Fast shutdown (ends the sessions, writes a checkpoint), or immediate shutdown, as after a
  // crash (the next start recovers from the log). True once the server has ended.
  bool Stop(bool immediate = false);
  // Starts it again on the same folder; true once it accepts connections.
  bool Start();

  static constexpr const char* kAdmin = "vellora_admin";

 private:
  // Starts the program as the server's user, its output into the file; a `server` dies with
  // the test. Runs it to its end: true when it exits with 0.
  pid_t Spawn(std::vector<std::string> argv, const std::string& output, bool server);
  bool RunAsOwner(std::vector<std::string> argv, const std::string& output);
  // The first value of the query's first row; `error` holds the server's error, if any.
  std::optional<std::string> Query(const std::string& database, const std::string& sql,
                                   std::string& error) const;
  bool WaitReady();

  std::vector<std::string> Settings;
  std::string Folder;
  std::string Why;
  pid_t Pid = -1;
  int PidFd = -1;
  uid_t OwnerUid = 0;
  gid_t OwnerGid = 0;
  int Databases = 0;
};
