// The window's options as a station of a line: one source of serial numbers, a CONNINFO that
// holds no password and is never shown, a station named only with a line database.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QStringList>
#include <climits>

#include "app/program_options.h"

namespace {

// "vellora" and the arguments, written with '|' between them.
QStringList CommandLine(const std::string& args) {
  return QString::fromStdString("vellora|" + args).split(u'|');
}

TEST(ProgramStationOptions, TwoSourcesAPasswordOrAStationWithoutALineAreRefused) {
  const std::string longName(65, 's');
  const struct {
    std::string Args;
    const char* Reason;
  } refused[] = {
      {"--serial-file|serial|--line|dbname=line",
       "give --serial-file or --line, not both: two sources of serial numbers would give the same "
       "MAC twice"},
      {"--line|host=db dbname=line password=s3cret",
       "--line holds a password, which is never taken from the command line or the environment: "
       "keep it in ~/.pgpass"},
      {"--line|postgresql://station1:s3cret@db/line", "--line holds a password"},
      {"--line|host=db s3cret", "--line is no libpq connection string or URI: "},
      {"--line|-password=s3cret",
       "--line needs a libpq connection string or URI, but is followed by '-...'"},
      {"--line=", "--line is empty"},
      {"--line|dbname=a|--line|password=s3cret", "--line is given more than once"},
      {"--station|press-1", "--station names the station in the line database: give --line"},
      {"--line|dbname=line|--station|" + longName, "--station is longer than 64"},
      {"--serial-file|--expanded",
       "--serial-file needs a file name, but is followed by '--expanded'; a file whose name "
       "begins with '-' is given as ./--expanded"},
  };
  for (const auto& [args, reason] : refused) {
    ProgramOptions options;
    const std::optional<EarlyExit> exit = ReadProgramOptions(CommandLine(args), options);
    ASSERT_TRUE(exit.has_value()) << args;
    EXPECT_EQ(exit->Code, 2) << args;
    EXPECT_TRUE(exit->Text.starts_with(std::string("vellora: ") + reason)) << exit->Text;
    EXPECT_EQ(exit->Text.find("s3cret"), std::string::npos) << exit->Text;
    EXPECT_EQ(options.SerialFile + options.Line + options.Station, "") << args;
  }
}

TEST(ProgramStationOptions, TheStationIsTheHostsNameUnlessNamed) {
  char host[HOST_NAME_MAX + 1] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  ProgramOptions options;
  EXPECT_EQ(ReadProgramOptions(CommandLine("--line|host=db dbname=line"), options), std::nullopt);
  EXPECT_EQ(options.Line + " / " + options.Station, std::string("host=db dbname=line / ") + host);
  options = ProgramOptions();
  EXPECT_EQ(ReadProgramOptions(CommandLine("--line|service=line|--station|press-2"), options),
            std::nullopt);
  EXPECT_EQ(options.Station, "press-2");
  options = ProgramOptions();
  EXPECT_EQ(ReadProgramOptions(CommandLine("--serial-file|./-serial"), options), std::nullopt);
  EXPECT_EQ(options.SerialFile + options.Line + options.Station, "./-serial");
}

}  // namespace
