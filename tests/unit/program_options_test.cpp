// The program's command line, read as main() reads it: Qt's own options are left for
// QApplication, and a command line that cannot mean what it says is refused with status 2 and
// a reason before anything starts.
#include <gtest/gtest.h>

#include <QStringList>

#include "app/program_options.h"
#include "app/qt_standard_options.h"

namespace {

// The command line "vellora ARGS...".
QStringList CommandLine(std::initializer_list<const char*> args) {
  QStringList line{QStringLiteral("vellora")};
  for (const char* arg : args)
    line << QString::fromUtf8(arg);
  return line;
}

TEST(ProgramOptions, QtsOwnOptionsAndTheirValuesAreLeftForQApplication) {
  EXPECT_EQ(WithoutQtOptions(CommandLine({"-style", "Fusion", "--interface", "eth1", "-reverse",
                                          "-platform", "wayland", "--expanded", "-style=Windows",
                                          "--stylesheet", "a.qss", "-qwindowgeometry", "+0+0"})),
            CommandLine({"--interface", "eth1", "--expanded"}));
  // After "--" nothing is Qt's; a value that only looks like one stays the program's.
  EXPECT_EQ(WithoutQtOptions(CommandLine({"--log", "x", "--", "-reverse"})),
            CommandLine({"--log", "x", "--", "-reverse"}));
  EXPECT_EQ(WithoutQtOptions(CommandLine({"-styles", "-reversed"})),
            CommandLine({"-styles", "-reversed"}));

  ProgramOptions options;
  EXPECT_EQ(ReadProgramOptions(CommandLine({"-style", "Fusion", "-platform", "wayland", "-reverse",
                                            "--interface", "eth1", "--expanded"}),
                               options),
            std::nullopt);
  EXPECT_EQ(options.Interface, "eth1");
  EXPECT_TRUE(options.Expanded);
}

TEST(ProgramOptions, EmptyRepeatedAndSwallowedValuesAreRefusedWithTheReason) {
  const struct {
    std::initializer_list<const char*> Args;
    const char* Reason;
  } refused[] = {
      {{"--interface="}, "--interface is empty; it needs the name of a network interface"},
      {{"--interface", ""}, "--interface is empty"},
      {{"--address="}, "--address is empty; it needs an IPv4 address of this PC"},
      {{"--address", "10.0.0.7", "--address", "10.0.0.8"},
       "--address is given more than once; give it once"},
      {{"--interface", "eth0", "--interface=eth1"}, "--interface is given more than once"},
      {{"--log", "a.log", "--log", "b.log"}, "--log is given more than once"},
      {{"--log", "--expanded"},
       "--log needs a file name, but is followed by '--expanded'; a file whose name begins with "
       "'-' is given as ./--expanded"},
      {{"--log=-x"}, "--log needs a file name, but is followed by '-x'"},
      {{"--interface", "--expanded"}, "--interface needs the name of a network interface"},
      {{"-x"}, "Unknown option 'x'."},
      {{"eth0"}, "unexpected argument 'eth0'"},
  };
  for (const auto& [args, reason] : refused) {
    ProgramOptions options;
    const std::optional<EarlyExit> exit = ReadProgramOptions(CommandLine(args), options);
    const std::string said = CommandLine(args).join(' ').toStdString();
    ASSERT_NE(exit, std::nullopt) << said;
    EXPECT_EQ(exit->Code, 2) << said;
    EXPECT_EQ(exit->Text.rfind(std::string("vellora: ") + reason, 0), 0u) << exit->Text;
    EXPECT_TRUE(exit->Text.ends_with("\nTry 'vellora --help'.\n")) << exit->Text;
    EXPECT_EQ(options.Interface + options.Address + options.LogPath, "") << said;
  }
  // What such a file name looks like when it is meant; an address on a named interface.
  ProgramOptions options;
  EXPECT_EQ(
      ReadProgramOptions(CommandLine({"--address", "10.0.0.7", "--interface", "eth0"}), options),
      std::nullopt);
  EXPECT_EQ(options.Address + " " + options.Interface, "10.0.0.7 eth0");
  options = ProgramOptions();
  EXPECT_EQ(ReadProgramOptions(CommandLine({"--log", "./-x"}), options), std::nullopt);
  EXPECT_EQ(options.LogPath, "./-x");
}

}  // namespace
