#include "tests/support/line_lab.h"

PgServer* LineLab::Server = nullptr;

void LineLab::SetUpTestSuite() {
  Server = new PgServer();
}

void LineLab::TearDownTestSuite() {
  delete Server;
  Server = nullptr;
}

void LineLab::SetUp() {
  ASSERT_TRUE(Server->Running()) << Server->Error();
  Database = Server->NewDatabase();
  ASSERT_FALSE(Database.empty());
}

LineReply<PoolInitDone> LineLab::Init(LineDatabase& line, const MacPrefix& prefix,
                                      std::uint32_t first, std::uint32_t last) {
  return Call<PoolInitDone>([&](LineDatabase::Callback<PoolInitDone> done) {
    line.InitPool({prefix, first, last}, std::move(done));
  });
}

TakeRequest LineLab::Request(const std::string& station, const MacPrefix& prefix) {
  TakeRequest request;
  request.Prefix = prefix;
  request.Place = {station, "eth1", "10.88.1.1"};
  request.MacBefore = kModule;
  request.Request = [](const MacAddress& mac) {
    return std::vector<std::uint8_t>(mac.begin(), mac.end());
  };
  return request;
}

LineReply<TakenNumber> LineLab::Take(LineDatabase& line, const std::string& station,
                                     const MacPrefix& prefix) {
  return Call<TakenNumber>([&](LineDatabase::Callback<TakenNumber> done) {
    line.TakeNumber(Request(station, prefix), std::move(done));
  });
}

std::string LineLab::TakenRows() const {
  return Value(
             "SELECT coalesce(string_agg(serial || ' ' || outcome, ', ' ORDER BY serial), '') "
             "FROM vellora.record WHERE serial IS NOT NULL")
      .value_or("(no answer)");
}
