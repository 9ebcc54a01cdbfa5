// The line database's calls against a real PostgreSQL server: the schema and the pools made
// once, numbers taken in order and never twice, the record's rows and how they move (the
// stations' least rights: line_cli_test.cpp), and statements that take their values only as
// parameters.
#include <gtest/gtest.h>

#include <set>

#include "line/line_schema.h"
#include "tests/support/line_lab.h"

namespace {

using namespace std::chrono_literals;
using Nothing = LineDatabase::Nothing;

class LineDatabaseTest : public LineLab {
 protected:
  LineReply<Nothing> SetOutcome(LineDatabase& line, std::int64_t id, LineOutcome outcome) {
    return Call<Nothing>([&](LineDatabase::Callback<Nothing> done) {
      line.SetOutcome(id, outcome, "", std::move(done));
    });
  }
  LineReply<std::int64_t> Add(LineDatabase& line, const RecordRow& row) {
    return Call<std::int64_t>(
        [&](LineDatabase::Callback<std::int64_t> done) { line.AddRecord(row, std::move(done)); });
  }
  std::vector<HistoryRow> History(LineDatabase& line, const HistoryFilter& filter) {
    const auto reply =
        Call<std::vector<HistoryRow>>([&](LineDatabase::Callback<std::vector<HistoryRow>> done) {
          line.History(filter, std::move(done));
        });
    EXPECT_TRUE(reply.Ok()) << reply.Message;
    return reply.Value;
  }
  // The number the prefix's pools give next, as NextNumber says it (0xFFFFFFFF: none).
  std::uint32_t Next(LineDatabase& line, const MacPrefix& prefix = kPrefix) {
    const auto reply = Call<std::optional<std::uint32_t>>(
        [&](LineDatabase::Callback<std::optional<std::uint32_t>> done) {
          line.NextNumber(prefix, std::move(done));
        });
    EXPECT_TRUE(reply.Ok()) << reply.Message;
    return reply.Value.value_or(0xFFFFFFFF);
  }
  // The serials of the rows, in their order.
  static std::vector<std::uint32_t> Serials(const std::vector<HistoryRow>& rows) {
    std::vector<std::uint32_t> serials;
    for (const HistoryRow& row : rows)
      serials.push_back(row.Serial.value_or(0));
    return serials;
  }
};

TEST_F(LineDatabaseTest, InitMakesTheSchemaOncePoolsThatDoNotOverlapAndIsDoneOnceForTheSame) {
  LineDatabase line(Loop, Conninfo());
  auto made = Init(line, kPrefix, 0, 99);
  ASSERT_TRUE(made.Ok()) << made.Message;
  EXPECT_TRUE(made.Value.Made);
  EXPECT_EQ(made.Value.SchemaFrom, 0);
  EXPECT_EQ(Value("SELECT version FROM vellora.schema_version"), std::to_string(SchemaVersion()));

  const auto again = Init(line, kPrefix, 0, 99);
  ASSERT_TRUE(again.Ok()) << again.Message;
  EXPECT_FALSE(again.Value.Made);
  EXPECT_EQ(again.Value.SchemaFrom, SchemaVersion());

  // Overlaps (a part of a pool is no pool either: only the very same range is done again), a
  // range above 16777215, a multicast prefix, the MAC 00:00:00:00:00:00. (The messages:
  // line_cli_test.cpp.)
  const struct {
    MacPrefix Prefix;
    std::uint32_t First, Last;
  } refused[] = {{kPrefix, 50, 150},          {kPrefix, 0, 50},
                 {kPrefix, 99, 99},           {kPrefix, 100, 16777216},
                 {{0x01, 0x00, 0x5E}, 1, 10}, {{0, 0, 0}, 0, 10}};
  for (const auto& pool : refused)
    EXPECT_EQ(Init(line, pool.Prefix, pool.First, pool.Last).Failure, LineFailure::Refused)
        << pool.First << " to " << pool.Last;
  EXPECT_TRUE(Init(line, kPrefix, 100, 16777215).Value.Made);     // beside the first one
  EXPECT_TRUE(Init(line, {0x0A, 0x0B, 0x0D}, 0, 99).Value.Made);  // another prefix
  EXPECT_EQ(Value("SELECT string_agg(prefix || ' ' || first || '-' || last, ', ' ORDER BY "
                  "prefix, first) FROM vellora.pool"),
            "0A:0B:0C 0-99, 0A:0B:0C 100-16777215, 0A:0B:0D 0-99");
}

TEST_F(LineDatabaseTest, ConcurrentInitsOfOverlappingRangesMakeOnePool) {
  LineDatabase first(Loop, Conninfo()), second(Loop, Conninfo());
  std::vector<LineReply<PoolInitDone>> replies;
  const auto keep = [&](const LineReply<PoolInitDone>& reply) { replies.push_back(reply); };
  first.InitPool({kPrefix, 0, 99}, keep);
  second.InitPool({kPrefix, 50, 149}, keep);
  ASSERT_TRUE(
      Loop.RunUntil([&] { return replies.size() == 2; }, PollEventLoop::Clock::now() + 60s));
  EXPECT_EQ(replies[0].Ok() + replies[1].Ok(), 1) << replies[0].Message << replies[1].Message;
  EXPECT_EQ(Value("SELECT count(*) FROM vellora.pool"), "1");
}

TEST_F(LineDatabaseTest, TakesInOrderAcrossRangesKeepsTheRowAndSaysHowManyWereGivenWhenEmpty) {
  LineDatabase line(Loop, Conninfo());
  ASSERT_TRUE(Init(line, kPrefix, 1, 2).Ok());
  ASSERT_TRUE(Init(line, kPrefix, 0x0A0000, 0x0A0000).Ok());
  EXPECT_EQ(Next(line), 1u);

  const auto taken = Take(line, "press-3");
  ASSERT_TRUE(taken.Ok()) << taken.Message;
  EXPECT_EQ(taken.Value.Serial, 1u);
  EXPECT_EQ(taken.Value.Mac, (MacAddress{0x0A, 0x0B, 0x0C, 0x00, 0x00, 0x01}));
  EXPECT_EQ(taken.Value.Left, 2u);
  // The row says who took it for which module, and holds the request's bytes (here the MAC).
  EXPECT_EQ(Value("SELECT concat_ws(' ', station, interface, host(pc_address), command, "
                  "mac_before, mac_after, serial, encode(request, 'hex'), outcome) "
                  "FROM vellora.record WHERE id = " +
                  std::to_string(taken.Value.RecordId)),
            "press-3 eth1 10.88.1.1 assign 02:00:00:00:00:01 0a:0b:0c:00:00:01 1 0a0b0c000001 "
            "taken");

  EXPECT_EQ(Take(line).Value.Serial, 2u);
  EXPECT_EQ(Next(line), 0x0A0000u);  // the next range's first, as the take gives it
  const auto third = Take(line);
  EXPECT_EQ(third.Value.Mac, (MacAddress{0x0A, 0x0B, 0x0C, 0x0A, 0x00, 0x00}));
  EXPECT_EQ(third.Value.Left, 0u);

  EXPECT_EQ(Next(line), 0xFFFFFFFFu);
  EXPECT_EQ(Next(line, {0x0A, 0x0B, 0x0E}), 0xFFFFFFFFu);
  const auto empty = Take(line);
  EXPECT_EQ(empty.Failure, LineFailure::Refused);
  EXPECT_EQ(empty.Message,
            "the pool for 0A:0B:0C is empty: all 3 numbers of its 2 ranges (1 to 655360) were "
            "given; 'vellora-cli line init' adds a range");
  const auto none = Take(line, "press-3", {0x0A, 0x0B, 0x0E});
  EXPECT_EQ(none.Failure, LineFailure::Refused);
  EXPECT_TRUE(Holds(none.Message, "no pool for the prefix 0A:0B:0E"));
  EXPECT_EQ(Value("SELECT string_agg(next::text, ' ' ORDER BY first) FROM vellora.pool"),
            "3 655361");
  EXPECT_EQ(TakenRows(), "1 taken, 2 taken, 655360 taken");
}

TEST_F(LineDatabaseTest, ARowMovesOnlyForwardAndANewRowStartsBeforeItsWrite) {
  LineDatabase line(Loop, Conninfo());
  ASSERT_TRUE(Init(line, kPrefix, 1, 10).Ok());
  const std::int64_t id = Take(line).Value.RecordId;
  EXPECT_TRUE(SetOutcome(line, id, LineOutcome::Sent).Ok());
  EXPECT_TRUE(SetOutcome(line, id, LineOutcome::NotConfirmed).Ok());
  EXPECT_TRUE(SetOutcome(line, id, LineOutcome::Confirmed).Ok());  // a later check found it
  const auto back = SetOutcome(line, id, LineOutcome::NotSent);
  EXPECT_EQ(back.Failure, LineFailure::Refused);
  EXPECT_EQ(back.Message,
            "the row " + std::to_string(id) + " is \"confirmed\" and cannot become \"not sent\"");
  EXPECT_EQ(SetOutcome(line, id + 100, LineOutcome::Sent).Failure, LineFailure::Refused);

  RecordRow row;
  row.Place = {"press-3", "", ""};
  row.Command = "set-mac";
  row.MacBefore = kModule;
  row.MacAfter = MacAddress{0x02, 0, 0, 0, 0, 0x42};
  row.Request = {1, 2, 3};
  const auto added = Add(line, row);
  ASSERT_TRUE(added.Ok()) << added.Message;
  EXPECT_EQ(Value("SELECT outcome FROM vellora.record WHERE id = " + std::to_string(added.Value)),
            "sending");
  EXPECT_TRUE(SetOutcome(line, added.Value, LineOutcome::Sent).Ok());
  // A row of its own never claims a number or a write that was not recorded first.
  row.Outcome = LineOutcome::Taken;
  EXPECT_EQ(Add(line, row).Failure, LineFailure::Failed);
  row.Outcome = LineOutcome::Confirmed;
  EXPECT_EQ(Add(line, row).Failure, LineFailure::Failed);
}

TEST_F(LineDatabaseTest, ValuesAreParametersNeverPartOfTheStatement) {
  LineDatabase line(Loop, Conninfo());
  ASSERT_TRUE(Init(line, kPrefix, 1, 10).Ok());
  const std::string station = "st'); DROP TABLE vellora.record; --\"\\ $1 '";
  ASSERT_TRUE(Take(line, station).Ok());
  RecordRow check;
  check.Place = {station, "eth0'--", ""};
  check.Command = "verify";
  check.Outcome = LineOutcome::LabelWrong;
  check.Label = "0A0B0C000001' OR '1'='1";
  ASSERT_TRUE(Add(line, check).Ok());

  HistoryFilter filter;
  filter.Station = station;
  const std::vector<HistoryRow> rows = History(line, filter);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Station, station);
  EXPECT_EQ(rows[1].Interface, "eth0'--");
  EXPECT_EQ(rows[1].Label, check.Label);
  filter.Station = "st' OR '1'='1";
  EXPECT_TRUE(History(line, filter).empty());
}

TEST_F(LineDatabaseTest, HistoryAnswersWhatHappenedToAModuleAndWhatWasNeverConfirmedOrChecked) {
  LineDatabase line(Loop, Conninfo());
  ASSERT_TRUE(Init(line, kPrefix, 1, 10).Ok());
  // 1 confirmed and its label checked; 2 sent, never confirmed; 3 not sent; 4 taken, its
  // caller gone; a label check that found 2 wrong.
  const auto one = Take(line, "press-1"), two = Take(line, "press-2"),
             three = Take(line, "press-1"), four = Take(line, "press-2");
  SetOutcome(line, one.Value.RecordId, LineOutcome::Confirmed);
  SetOutcome(line, two.Value.RecordId, LineOutcome::Sent);
  SetOutcome(line, three.Value.RecordId, LineOutcome::NotSent);
  RecordRow check;
  check.Place = {"label-desk", "", ""};
  check.Command = "verify";
  check.Outcome = LineOutcome::LabelOk;
  check.Label = "0A0B0C000001";
  check.MacFound = one.Value.Mac;
  ASSERT_TRUE(Add(line, check).Ok());
  check.Outcome = LineOutcome::LabelWrong;
  check.Label = "0A0B0C000002";
  check.MacFound.reset();
  ASSERT_TRUE(Add(line, check).Ok());

  HistoryFilter filter;
  filter.Mac = one.Value.Mac;
  const auto ofOne = History(line, filter);
  ASSERT_EQ(ofOne.size(), 2u);
  EXPECT_EQ(ofOne[0].Outcome, "confirmed");
  EXPECT_EQ(ofOne[0].MacBefore, "02:00:00:00:00:01");
  EXPECT_EQ(ofOne[0].MacAfter, "0A:0B:0C:00:00:01");
  EXPECT_EQ(ofOne[0].Request, "0a0b0c000001");
  EXPECT_EQ(ofOne[1].Command, "verify");
  EXPECT_EQ(ofOne[1].MacFound, "0A:0B:0C:00:00:01");

  filter = {};
  filter.Unconfirmed = true;
  EXPECT_EQ(Serials(History(line, filter)), (std::vector<std::uint32_t>{2, 3, 4}));
  filter = {};
  filter.Unchecked = true;  // 3 never left; 4's request was stored, so it may have
  EXPECT_EQ(Serials(History(line, filter)), (std::vector<std::uint32_t>{2, 4}));
  filter.Station = "press-2";
  filter.Since = "2000-01-01";
  EXPECT_EQ(Serials(History(line, filter)), (std::vector<std::uint32_t>{2, 4}));
  filter.Since = "2999-01-01";
  EXPECT_TRUE(History(line, filter).empty());
  filter.Since = "yesterday-ish";
  const auto bad =
      Call<std::vector<HistoryRow>>([&](LineDatabase::Callback<std::vector<HistoryRow>> done) {
        line.History(filter, std::move(done));
      });
  EXPECT_EQ(bad.Failure, LineFailure::Failed);

  const auto status = Call<LineStatus>(
      [&](LineDatabase::Callback<LineStatus> done) { line.Status(std::move(done)); });
  ASSERT_TRUE(status.Ok()) << status.Message;
  ASSERT_EQ(status.Value.Pools.size(), 1u);
  EXPECT_EQ(status.Value.Pools[0].Prefix, "0A:0B:0C");
  EXPECT_EQ(status.Value.Pools[0].Next, 5u);
  EXPECT_EQ(status.Value.Pools[0].Left, 6u);
  ASSERT_EQ(status.Value.Today.size(), 2u);
  EXPECT_EQ(status.Value.Today[0].Station, "press-1");
  EXPECT_EQ(status.Value.Today[0].Taken, 2u);
  EXPECT_EQ(status.Value.Today[0].Confirmed, 1u);
  EXPECT_EQ(status.Value.Today[1].Sent, 1u);
}

TEST_F(LineDatabaseTest, ADatabaseWithoutTheSchemaOrWithAnotherVersionRefusesEveryCall) {
  LineDatabase line(Loop, Conninfo());
  const auto missing = Take(line);
  EXPECT_EQ(missing.Failure, LineFailure::Refused);
  EXPECT_TRUE(Holds(missing.Message, "has no Vellora schema: 'vellora-cli line init' makes it"));

  ASSERT_TRUE(Init(line, kPrefix, 1, 10).Ok());
  ASSERT_EQ(Sql("UPDATE vellora.schema_version SET version = 99"), "");
  LineDatabase later(Loop, Conninfo());  // the version is checked once per connection
  const auto newer = Take(later);
  EXPECT_EQ(newer.Failure, LineFailure::Refused);
  EXPECT_TRUE(Holds(newer.Message, "has schema version 99, newer than this program's"));
  EXPECT_EQ(Init(later, kPrefix, 1, 10).Failure, LineFailure::Refused);
  EXPECT_EQ(Value("SELECT next FROM vellora.pool"), "1");
}

}  // namespace
