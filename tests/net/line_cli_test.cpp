// vellora-cli's line commands, run as a script runs them, against a server of the test's own:
// what they print, their exit status and their messages, and a CONNINFO with a password
// refused without being shown.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/child_checks.h"
#include "tests/support/line_lab.h"
#include "tests/support/readme_block.h"

namespace {

class LineCliTest : public LineLab {
 protected:
  // vellora-cli line WORDS..., with VELLORA_LINE set to the test's database unless told.
  ChildResult Line(std::vector<std::string> words, std::string conninfo = "") {
    words.insert(words.begin(), {VELLORA_CLI_PATH, "line"});
    return RunChild("", words, {"VELLORA_LINE=" + (conninfo.empty() ? Conninfo() : conninfo)});
  }
};

TEST_F(LineCliTest, InitStatusAndHistoryPrintWhatTheLineHolds) {
  auto made = Line({"init", "--prefix", "0a-0b-0c", "--first", "1", "--last", "3"});
  EXPECT_TRUE(Ended(made, 0, "there is no role vellora_station"));
  EXPECT_EQ(made.Out, "made the schema, version 1\nmade the pool 0A:0B:0C 1 to 3 (3 numbers)\n");
  made = Line({"init", "--prefix", "0A:0B:0C", "--first", "1", "--last", "3"});
  EXPECT_TRUE(Ended(made, 0));
  EXPECT_EQ(made.Out, "the pool 0A:0B:0C 1 to 3 is there already\n");
  const auto overlap = Line({"init", "--prefix", "0A:0B:0C", "--first", "3", "--last", "9"});
  EXPECT_TRUE(Ended(overlap, 1));
  EXPECT_EQ(overlap.Err,
            "vellora-cli: no pool is made: 3 to 9 overlaps the pool 0A:0B:0C 1 to 3\n");
  EXPECT_EQ(Line({"init", "--prefix", "0A:0B:0C", "--first", "4", "--last", "16777216"}).Status, 2);
  EXPECT_EQ(Line({"init", "--prefix", "01:0B:0C", "--first", "4", "--last", "9"}).Status, 2);

  LineDatabase line(Loop, Conninfo());
  ASSERT_TRUE(Take(line, "press \"1\"\x1b]0;x\x07").Ok());
  ASSERT_TRUE(Take(line, "press-2").Ok());

  const auto status = Line({"status"});
  EXPECT_TRUE(Ended(status, 0));
  EXPECT_EQ(status.Out,
            "prefix=0A:0B:0C first=1 last=3 next=3 left=1\n"
            "station=\"press \\\"1\\\"\\u001B]0;x\\u0007\" taken-today=1 sent-today=0 "
            "confirmed-today=0\n"
            "station=\"press-2\" taken-today=1 sent-today=0 confirmed-today=0\n");

  const auto history = Line({"history", "--mac", "0A:0B:0C:00:00:02", "--json"});
  EXPECT_TRUE(Ended(history, 0));
  EXPECT_TRUE(Holds(history.Out, "\"station\":\"press-2\","));
  EXPECT_TRUE(Holds(history.Out,
                    "\"mac-before\":\"02:00:00:00:00:01\",\"mac-after\":"
                    "\"0A:0B:0C:00:00:02\",\"serial\":2,\"outcome\":\"taken\","
                    "\"reason\":null"));
  EXPECT_EQ(std::count(history.Out.begin(), history.Out.end(), '\n'), 1);
  const auto unconfirmed = Line({"history", "--unconfirmed", "--station", "press-2"});
  EXPECT_TRUE(Ended(unconfirmed, 0));
  EXPECT_EQ(unconfirmed.Out.rfind("id=2 at=\"", 0), 0u) << unconfirmed.Out;
  EXPECT_TRUE(Holds(unconfirmed.Out, " serial=2 outcome=\"taken\" "));
  EXPECT_EQ(Line({"history", "--since", "2999-01-01"}).Out, "");

  // --line names another database than VELLORA_LINE: one where no server listens.
  EXPECT_TRUE(Ended(RunChild("", {VELLORA_CLI_PATH, "line", "status", "--line",
                                  "host=" + Server->DeadFolder() + " dbname=line"}),
                    1,
                    "vellora-cli: cannot reach the line database host=" + Server->DeadFolder() +
                        " port=5432 dbname=line user="));
}

TEST_F(LineCliTest, APasswordIsNeverTakenNorShownAndEveryRefusalSaysWhy) {
  const struct {
    ChildResult Run;
    const char* Says;
  } refused[] = {
      {RunChild("",
                {VELLORA_CLI_PATH, "line", "status", "--line", Conninfo() + " password=Sesame-1"}),
       "--line holds a password, which is never taken from the command line or the environment: "
       "keep it in ~/.pgpass"},
      {Line({"history"}, "postgresql://vellora_admin:Sesame-1@/x?host=" + Server->DeadFolder()),
       "VELLORA_LINE holds a password"},
      {Line({"status"}, "host=/tmp Sesame-1"), "VELLORA_LINE is no libpq connection string or URI"},
      {RunChild("", {VELLORA_CLI_PATH, "line", "status"}, {"VELLORA_LINE="}),
       "give --line CONNINFO or set VELLORA_LINE"},
      {Line({"drop"}), "unknown line command 'drop'"},
  };
  for (const auto& run : refused) {
    EXPECT_TRUE(Ended(run.Run, 2, run.Says));
    EXPECT_EQ(run.Run.Out, "");
    EXPECT_FALSE(Holds(run.Run.Err, "Sesame"));
  }
}

TEST_F(LineCliTest, TheDocumentsRolesAndAccessLinesGiveTheStationsTheirLeastRights) {
  const std::vector<std::string> roles = DocumentBlock(VELLORA_GUIDE, "roles", "sql");
  ASSERT_FALSE(roles.empty()) << "no ```sql roles block in " << VELLORA_GUIDE;
  for (const std::string& statement : roles)  // CREATE DATABASE runs outside a transaction
    ASSERT_EQ(Server->Sql("postgres", statement), "") << statement;

  const auto made = Line({"init", "--prefix", "0A:0B:0C", "--first", "1", "--last", "99"},
                         Server->Conninfo("line", "vellora_owner"));
  EXPECT_TRUE(Ended(made, 0));
  EXPECT_EQ(made.Err, "");  // the stations' role is there and has its rights
  // A station may take a number and move its row on, and do nothing else.
  LineDatabase station(Loop, Server->Conninfo("line", "station1"));
  const auto taken = Take(station);
  ASSERT_TRUE(taken.Ok()) << taken.Message;
  EXPECT_EQ(taken.Value.Serial, 1u);
  EXPECT_TRUE(Call<LineDatabase::Nothing>([&](auto done) {
                station.SetOutcome(taken.Value.RecordId, LineOutcome::Sent, "", std::move(done));
              }).Ok());
  EXPECT_EQ(Server->Value("line", "SELECT db_user FROM vellora.record"), "station1");
  EXPECT_EQ(Init(station, kPrefix, 200, 300).Failure, LineFailure::Failed);
  for (const char* forbidden : {
           "UPDATE vellora.pool SET next = first",
           "INSERT INTO vellora.pool VALUES ('0A:0B:0D', 0, 9, 0)",
           "UPDATE vellora.record SET outcome = 'confirmed'",
           "DELETE FROM vellora.record",
           "INSERT INTO vellora.record (station, command, outcome) VALUES ('x', 'set', 'sent')",
       }) {
    const auto refused = Call<LineRows>([&](LineDatabase::Callback<LineRows> done) {
      station.Connection().Run({forbidden, {}}, std::move(done));
    });
    EXPECT_EQ(refused.Value.SqlState, "42501") << forbidden << ": " << refused.Message;
  }
  EXPECT_EQ(Server->Value("line", "SELECT next FROM vellora.pool"), "2");
  // A login that is no station may not even connect.
  ASSERT_EQ(Server->Sql("postgres", "CREATE ROLE stranger LOGIN"), "");
  LineDatabase stranger(Loop, Server->Conninfo("line", "stranger"));
  const auto refused = Take(stranger);
  EXPECT_EQ(refused.Failure, LineFailure::Unreachable);
  EXPECT_TRUE(Holds(refused.Message, "permission denied for database"));

  const std::vector<std::string> access = DocumentBlock(VELLORA_GUIDE, "pg_hba", "conf");
  ASSERT_EQ(access.size(), 2u);
  std::ofstream hba(Server->HbaFile(), std::ios::app);
  for (const std::string& line : access)
    hba << line << "\n";
  hba.close();
  // Read as the server reads the file; hostssl lines are refused only because this server
  // has no certificate.
  EXPECT_EQ(Server->Value("postgres",
                          "SELECT count(*) FROM pg_hba_file_rules WHERE 'line' = ANY(database) "
                          "AND (error IS NULL OR error LIKE '%SSL is disabled%')"),
            "2");
}

}  // namespace
