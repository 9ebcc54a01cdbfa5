#pragma once

// A fixture for the line database's tests: one PostgreSQL server for the test program, a fresh
// database for each test, the poll(2) loop, and calls waited for with a bound.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "line/line_database.h"
#include "platform/posix/poll_event_loop.h"
#include "tests/support/child_checks.h"
#include "tests/support/pg_server.h"

class LineLab : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;

  // The test's database as a role (by default the superuser, who owns it).
  std::string Conninfo(const std::string& user = PgServer::kAdmin) const {
    return Server->Conninfo(Database, user);
  }
  std::string Sql(const std::string& sql) const { return Server->Sql(Database, sql); }
  std::optional<std::string> Value(const std::string& sql) const {
    return Server->Value(Database, sql);
  }

  // Starts the call and runs the loop until it calls back; a reply that never comes fails the
  // test (Failure Lost, message "no reply").
  template <class T>
  LineReply<T> Call(const std::function<void(LineDatabase::Callback<T>)>& start,
                    std::chrono::seconds bound = std::chrono::seconds(60)) {
    std::optional<LineReply<T>> reply;
    start([&reply](const LineReply<T>& answer) { reply = answer; });
    if (!Loop.RunUntil([&] { return reply.has_value(); }, PollEventLoop::Clock::now() + bound)) {
      ADD_FAILURE() << "no reply within the bound";
      return {LineFailure::Lost, "no reply", {}};
    }
    return *reply;
  }

  LineReply<PoolInitDone> Init(LineDatabase& line, const MacPrefix& prefix, std::uint32_t first,
                               std::uint32_t last);
  // A take for the module kModule at the station; the request stored is the new MAC's bytes.
  LineReply<TakenNumber> Take(LineDatabase& line, const std::string& station = "station-1",
                              const MacPrefix& prefix = kPrefix);
  static TakeRequest Request(const std::string& station, const MacPrefix& prefix = kPrefix);
  // The rows of the record with a number, as "serial outcome" in the order of their serial.
  std::string TakenRows() const;

  static constexpr MacPrefix kPrefix = {0x0A, 0x0B, 0x0C};
  static constexpr MacAddress kModule = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};

  static PgServer* Server;
  std::string Database;
  PollEventLoop Loop;
};
