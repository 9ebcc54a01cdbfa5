#pragma once

#include <functional>
#include <string>

#include "line/line_connection.h"
#include "line/line_records.h"
#include "line/line_reply.h"

// `line init`: one transaction over a connection of its own, so that no other call can run
// inside it. Under an advisory lock that orders concurrent inits it creates the schema if it
// is missing, brings it to this program's version, gives the stations' role its rights, and
// makes the pool unless one overlaps it. A failure before the commit changes nothing (the
// server rolls back the transaction of a connection that is closed).
class LinePoolInit {
 public:
  using Done = std::function<void(const LineReply<PoolInitDone>& reply)>;

  LinePoolInit(TEventLoop& loop, const std::string& conninfo, const LineTimeouts& timeouts);
  ~LinePoolInit();
  LinePoolInit(const LinePoolInit&) = delete;
  LinePoolInit& operator=(const LinePoolInit&) = delete;

  void Start(const PoolRange& range, Done done);
  bool Finished() const { return !Callback; }

 private:
  using Next = std::function<void(const LineRows& rows)>;

  void Step(std::string sql, std::vector<std::optional<std::string>> params, Next next);
  // Runs the statements of Script one after the other, then `then`.
  void RunScript(std::function<void()> then);
  void NextInScript();
  void ReadVersion();
  void Migrate(int version);
  void MakePool();
  void Commit();
  void End(LineReply<PoolInitDone> reply);

  TEventLoop& Loop;
  LineConnection Conn;
  Done Callback;
  PoolRange Range;
  PoolInitDone Result;
  std::vector<std::string> Script;
  std::size_t ScriptAt = 0;
  std::function<void()> ScriptThen;
  bool Committing = false;
  int RefuseTimer = 0;
};

// Why a pool cannot be made of the range, whatever the database holds; empty when it can.
std::string PoolRangeFault(const PoolRange& range);
