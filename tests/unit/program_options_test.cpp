// The program's command line, read as main() reads it: Qt's own options are left for
// QApplication, and a command line that cannot mean what it says (two sources of serial numbers,
// a password in the CONNINFO, an empty, repeated or swallowed value) is refused with status 2 and
// a reason before anything starts, never showing the password.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QStringList>
#include <climits>

#include "app/program_options.h"
#include "app/qt_standard_options.h"

namespace {

// "vellora" and the arguments, written with '|' between them.
QStringList CommandLine(const std::string& args) {
  return QString::fromStdString("vellora|" + args).split(u'|');
}

TEST(ProgramOptions, QtsOwnOptionsAndTheirValuesAreLeftForQApplication) {
  EXPECT_EQ(WithoutQtOptions(CommandLine("-style|Fusion|--interface|eth1|-reverse|-platform|"
                                         "wayland|--expanded|-style=Windows|--stylesheet|a.qss|"
                                         "-qwindowgeometry|+0+0")),
            CommandLine("--interface|eth1|--expanded"));
  // After "--" nothing is Qt's; a value that only looks like one stays the program's.
  EXPECT_EQ(WithoutQtOptions(CommandLine("--log|x|--|-reverse")),
            CommandLine("--log|x|--|-reverse"));
  EXPECT_EQ(WithoutQtOptions(CommandLine("-styles|-reversed")), CommandLine("-styles|-reversed"));
}

TEST(ProgramOptions, WhatCannotMeanWhatItSaysIsRefusedWithTheReasonAndNoPassword) {
  const struct {
    std::string Args;
    const char* Reason;
  } refused[] = {
      {"--interface=", "--interface is empty; it needs the name of a network interface"},
      {"--address=", "--address is empty; it needs an IPv4 address of this PC"},
      {"--address|10.0.0.7|--address|10.0.0.8", "--address is given more than once; give it once"},
      {"--log|a.log|--log|b.log", "--log is given more than once"},
      {"--log|--expanded",
       "--log needs a file name, but is followed by '--expanded'; a file whose name begins with "
       "'-' is given as ./--expanded"},
      {"--interface|--expanded", "--interface needs the name of a network interface"},
      {"-x", "Unknown option 'x'."},
      {"eth0", "unexpected argument 'eth0'"},
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
      {"--line|dbname=a|--line|password=s3cret", "--line is given more than once"},
      {"--station|press-1", "--station names the station in the line database: give --line"},
      {"--line|dbname=line|--station|" + std::string(65, 's'), "--station is longer than 64"},
      {"--serial-file|-s",
       "--serial-file needs a file name, but is followed by '-s'; a file whose "
       "name begins with '-' is given as ./-s"},
  };
  for (const auto& [args, reason] : refused) {
    SCOPED_TRACE(args);
    ProgramOptions options;
    const std::optional<EarlyExit> exit = ReadProgramOptions(CommandLine(args), options);
    ASSERT_TRUE(exit.has_value());
    EXPECT_EQ(exit->Code, 2);
    EXPECT_TRUE(exit->Text.starts_with(std::string("vellora: ") + reason)) << exit->Text;
    EXPECT_TRUE(exit->Text.ends_with("\nTry 'vellora --help'.\n")) << exit->Text;
    EXPECT_EQ(exit->Text.find("s3cret"), std::string::npos) << exit->Text;
    EXPECT_EQ(options.Interface + options.Address + options.LogPath + options.SerialFile +
                  options.Line + options.Station,
              "");
  }
}

// What such a file name looks like when it is meant; Qt's options beside the program's; the
// station is the host's name unless named.
TEST(ProgramOptions, WhatIsMeantReachesItsField) {
  char host[HOST_NAME_MAX + 1] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  const std::pair<std::string, std::string> taken[] = {
      {"-style|Fusion|-reverse|--interface|eth1|--expanded", "|eth1|1||||"},
      {"--address|10.0.0.7|--interface|eth0|--log|./-x", "10.0.0.7|eth0|0|./-x|||"},
      {"--line|host=db dbname=line", "||0|||host=db dbname=line|" + std::string(host)},
      {"--line|service=line|--station|press-2", "||0|||service=line|press-2"},
      {"--serial-file|./-serial", "||0||./-serial||"}};
  for (const auto& [args, fields] : taken) {
    ProgramOptions o;
    EXPECT_EQ(ReadProgramOptions(CommandLine(args), o), std::nullopt) << args;
    EXPECT_EQ(o.Address + "|" + o.Interface + "|" + (o.Expanded ? "1" : "0") + "|" + o.LogPath +
                  "|" + o.SerialFile + "|" + o.Line + "|" + o.Station,
              fields);
  }
}

}  // namespace
