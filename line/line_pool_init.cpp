#include "line/line_pool_init.h"

#include <utility>

#include "line/line_database.h"
#include "line/line_schema.h"

using namespace std::chrono_literals;

namespace {

constexpr std::uint32_t kLargestSerial = 16777215;

std::optional<std::string> Number(std::uint32_t value) {
  return std::to_string(value);
}

}  // namespace

std::string PoolRangeFault(const PoolRange& range) {
  const std::string prefix = PrefixText(range.Prefix);
  if (range.First > range.Last)
    return "the first number " + std::to_string(range.First) + " is above the last " +
           std::to_string(range.Last);
  if (range.Last > kLargestSerial)
    return "the last number " + std::to_string(range.Last) +
           " is above 16777215 (FF:FF:FF), the largest that three MAC bytes hold";
  if (range.Prefix[0] & 1)
    return "the prefix " + prefix +
           " has the multicast bit set (its first byte is odd): no module can use its MACs";
  if (range.Prefix == MacPrefix{} && range.First == 0)
    return "the range gives 00:00:00:00:00:00, which is no module's MAC: start at 1";
  return {};
}

LinePoolInit::LinePoolInit(TEventLoop& loop, const std::string& conninfo,
                           const LineTimeouts& timeouts)
    : Loop(loop), Conn(loop, conninfo, timeouts) {}

LinePoolInit::~LinePoolInit() {
  Loop.StopTimer(RefuseTimer);
}

void LinePoolInit::Start(const PoolRange& range, Done done) {
  Callback = std::move(done);
  Range = range;
  if (const std::string fault = PoolRangeFault(range); !fault.empty()) {
    RefuseTimer = Loop.StartTimer(0ms, [this, fault] {
      RefuseTimer = 0;
      End({LineFailure::Refused, "no pool is made: " + fault, {}});
    });
    return;
  }
  // The lock ("vell") orders concurrent inits: the second sees what the first made.
  Script = {"BEGIN", "SELECT pg_advisory_xact_lock(1986358380)",
            "CREATE SCHEMA IF NOT EXISTS vellora",
            "CREATE TABLE IF NOT EXISTS vellora.schema_version (version integer NOT NULL)"};
  RunScript([this] { ReadVersion(); });
}

void LinePoolInit::Step(std::string sql, std::vector<std::optional<std::string>> params,
                        Next next) {
  Conn.Run({std::move(sql), std::move(params)}, [this, next = std::move(next)](
                                                    const LineReply<LineRows>& reply) {
    if (reply.Ok()) return next(reply.Value);
    if (Committing && reply.Failure == LineFailure::Lost) {
      return End({LineFailure::Lost,
                  reply.Message + ": the pool may have been made; run the same init again, "
                                  "which makes it once",
                  {}});
    }
    End({reply.Failure == LineFailure::Failed ? LineFailure::Failed : LineFailure::Unreachable,
         reply.Message + "; nothing was changed",
         {}});
  });
}

void LinePoolInit::RunScript(std::function<void()> then) {
  ScriptThen = std::move(then);
  ScriptAt = 0;
  NextInScript();
}

void LinePoolInit::NextInScript() {
  if (ScriptAt == Script.size()) return ScriptThen();
  Step(Script[ScriptAt++], {}, [this](const LineRows&) { NextInScript(); });
}

void LinePoolInit::ReadVersion() {
  Step("SELECT version FROM vellora.schema_version", {}, [this](const LineRows& rows) {
    if (!rows.Rows.empty() && rows.Rows[0][0]) return Migrate(std::stoi(*rows.Rows[0][0]));
    Step("INSERT INTO vellora.schema_version VALUES (0)", {},
         [this](const LineRows&) { Migrate(0); });
  });
}

void LinePoolInit::Migrate(int version) {
  Result.SchemaFrom = version;
  if (version > SchemaVersion()) {
    return End({LineFailure::Refused,
                "the line database " + Conn.Server() + " has schema version " +
                    std::to_string(version) + ", newer than this program's " +
                    std::to_string(SchemaVersion()) + ": update this program",
                {}});
  }
  // The steps not yet made, the new version, and the stations' rights, in this transaction.
  Script.clear();
  for (const SchemaStep& step : SchemaSteps()) {
    if (step.Version <= version) continue;
    Script.insert(Script.end(), step.Statements.begin(), step.Statements.end());
  }
  Script.push_back("UPDATE vellora.schema_version SET version = " +
                   std::to_string(SchemaVersion()));
  Script.insert(Script.end(), StationGrants().begin(), StationGrants().end());
  RunScript([this] { MakePool(); });
}

void LinePoolInit::MakePool() {
  const std::string prefix = PrefixText(Range.Prefix);
  Step(
      "SELECT first, last FROM vellora.pool WHERE prefix = $1 AND first <= $3 AND last >= $2 "
      "ORDER BY first",
      {prefix, Number(Range.First), Number(Range.Last)}, [this, prefix](const LineRows& rows) {
        const auto same = [&](const std::vector<std::optional<std::string>>& row) {
          return *row[0] == std::to_string(Range.First) && *row[1] == std::to_string(Range.Last);
        };
        if (rows.Rows.size() == 1 && same(rows.Rows[0])) return Commit();
        if (!rows.Rows.empty()) {
          const auto& row = rows.Rows[0];
          return End({LineFailure::Refused,
                      "no pool is made: " + std::to_string(Range.First) + " to " +
                          std::to_string(Range.Last) + " overlaps the pool " + prefix + " " +
                          *row[0] + " to " + *row[1],
                      {}});
        }
        Step("INSERT INTO vellora.pool (prefix, first, last, next) VALUES ($1, $2, $3, $2)",
             {prefix, Number(Range.First), Number(Range.Last)}, [this](const LineRows&) {
               Result.Made = true;
               Commit();
             });
      });
}

void LinePoolInit::Commit() {
  Step("SELECT EXISTS (SELECT FROM pg_roles WHERE rolname = $1)", {kStationsRole},
       [this](const LineRows& rows) {
         Result.StationsRole = !rows.Rows.empty() && rows.Rows[0][0] == "t";
         Committing = true;
         Step("COMMIT", {}, [this](const LineRows&) { End({LineFailure::None, {}, Result}); });
       });
}

void LinePoolInit::End(LineReply<PoolInitDone> reply) {
  const Done done = std::move(Callback);
  Callback = nullptr;
  // Closing rolls back what is not committed, and frees the advisory lock.
  Conn.Close();
  if (done) done(reply);
}
