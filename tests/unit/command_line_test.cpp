// The command-line option library: values reach their typed variables only when they are
// whole and in range, every fault is one line naming the option and the value, arguments that
// are not options stay with the caller, and the help text matches the options.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <sstream>
#include <vector>

#include "tools/command_line/command_line.h"

namespace {

// Parses the words as the arguments after the program's name.
bool Parse(CommandLine& line, std::vector<const char*> words) {
  words.insert(words.begin(), "prog");
  return line.Parse(static_cast<int>(words.size()), words.data());
}

enum class Mode { Slow, Fast };

// Every kind of option, with the values they were last given.
struct Bound {
  std::uint16_t Port = 80;
  double Loss = 0;
  Ipv4 Address;
  MacAddress Mac{};
  std::string Interface;
  Mode Speed = Mode::Slow;
  bool Quiet = false;
  std::vector<std::string> Items;
  CommandLine Line{"prog"};

  Bound() {
    Line.Number("port", Port, 1, 65535, "the port")
        .Fraction("loss", Loss, 0, 1)
        .DottedQuad("bind", Address)
        .Mac("mac", Mac)
        .Text("interface", Interface, 15)
        .Choice("mode", Speed, {{"slow", Mode::Slow}, {"fast", Mode::Fast}})
        .Flag("quiet", Quiet)
        .Custom("item", [this](std::string_view value, std::string& why) {
          if (value.find(',') != std::string_view::npos) {
            why = "holds a comma";
            return false;
          }
          Items.emplace_back(value);
          return true;
        });
  }
};

// Values reach their variables written either way; arguments that are no options stay in order,
// a value that starts with '-' is still the value of the option before it, and argv is left
// alone.
TEST(CommandLineTest, ValuesReachTheirVariablesAndTheRestStaysInOrder) {
  Bound b;
  std::istringstream words(
      "prog first --port 8003 --loss=0.25 --bind 10.0.0.1 --mac 02:00:00:00:00:2a "
      "--interface=veth-a - --mode fast --quiet --item -one --item=two -- --port");
  const std::vector<std::string> held{std::istream_iterator<std::string>(words), {}};
  std::vector<const char*> argv;
  for (const std::string& word : held)
    argv.push_back(word.c_str());
  const std::vector<const char*> before = argv;
  ASSERT_TRUE(b.Line.Parse(static_cast<int>(argv.size()), argv.data())) << b.Line.Error();
  EXPECT_EQ(argv, before);
  EXPECT_EQ(b.Port, 8003);
  EXPECT_EQ(b.Loss, 0.25);
  EXPECT_EQ(b.Address, Ipv4(10, 0, 0, 1));
  EXPECT_EQ(b.Mac, (MacAddress{2, 0, 0, 0, 0, 0x2A}));
  EXPECT_EQ(b.Interface, "veth-a");
  EXPECT_EQ(b.Speed, Mode::Fast);
  EXPECT_TRUE(b.Quiet);
  EXPECT_EQ(b.Items, (std::vector<std::string>{"-one", "two"}));
  EXPECT_EQ(b.Line.Positional(), (std::vector<std::string>{"first", "-", "--port"}));
  EXPECT_TRUE(b.Line.Given("bind"));
  EXPECT_FALSE(b.Line.HelpWanted());

  // A later parse starts afresh; what was not given keeps its variable and is not "given".
  ASSERT_TRUE(Parse(b.Line, {"--port=1"}));
  EXPECT_EQ(b.Port, 1);
  EXPECT_EQ(b.Address, Ipv4(10, 0, 0, 1));
  EXPECT_FALSE(b.Line.Given("bind"));
  EXPECT_TRUE(b.Line.Positional().empty());
}

// A bad value, an unknown, misspelt or incomplete option: one line naming the option and the
// value, and the variable left as it was.
TEST(CommandLineTest, ABadValueOrOptionIsOneLineNamingTheOptionAndTheValue) {
  const struct {
    std::vector<const char*> Words;
    const char* Error;
  } cases[] = {
      {{"--port", "-5"}, "bad value '-5' for --port: not a whole number from 1 to 65535"},
      {{"--loss", "1.5"}, "bad value '1.5' for --loss: not a number from 0 to 1"},
      {{"--bind", "10.0.0.256"}, "bad value '10.0.0.256' for --bind: not a dotted IPv4 address"},
      {{"--mac", "02:00:00:00:00"}, "bad value '02:00:00:00:00' for --mac: not a MAC address"},
      {{"--interface", ""}, "bad value '' for --interface: not a text of 1 to 15 characters"},
      {{"--interface", "a-name-too-long!"},
       "bad value 'a-name-too-long!' for --interface: not a text of 1 to 15 characters"},
      {{"--mode", "Fast"}, "bad value 'Fast' for --mode: not one of slow|fast"},
      {{"--item", "a,b"}, "bad value 'a,b' for --item: holds a comma"},
      {{"--por", "80"}, "unknown option '--por' (see --help)"},  // no abbreviations
      {{"-p", "80"}, "unknown option '-p' (see --help)"},
      {{"--mode", "fast", "--port"}, "option --port needs a value"},
      {{"--quiet=yes"}, "option --quiet takes no value"},
  };
  for (const auto& c : cases) {
    Bound b;
    EXPECT_FALSE(Parse(b.Line, c.Words)) << c.Words[0];
    EXPECT_EQ(b.Line.Error(), c.Error);
    EXPECT_EQ(b.Port, 80);
  }
  for (const char* help : {"--help", "-h"}) {
    Bound b;
    EXPECT_TRUE(Parse(b.Line, {"--port", "1", help}));
    EXPECT_TRUE(b.Line.HelpWanted()) << help;
  }
}

TEST(CommandLineTest, AProgramWithCommandsHandsTheRestToTheCommandsOwnOptions) {
  bool verbose = false;
  CommandLine top("cli", "COMMAND ...");
  top.Flag("verbose", verbose).StopAtCommand();
  ASSERT_TRUE(Parse(
      top, {"--verbose", "set", "--verbose", "02:00:00:00:00:01", "--timeout=2", "name=press"}));
  EXPECT_TRUE(verbose);
  ASSERT_EQ(top.Positional().size(), 5u);
  EXPECT_EQ(top.Positional()[0], "set");

  int timeout = 1;
  CommandLine set("cli set", "MAC key=value...");
  set.Number("timeout", timeout, 1, 60);
  std::vector<const char*> rest;
  for (const std::string& word : top.Positional())
    rest.push_back(word.c_str());
  // The command's own parser knows nothing of the top level's options.
  EXPECT_FALSE(set.Parse(static_cast<int>(rest.size()), rest.data()));
  EXPECT_EQ(set.Error(), "unknown option '--verbose' (see --help)");
  rest.erase(rest.begin() + 1);
  ASSERT_TRUE(set.Parse(static_cast<int>(rest.size()), rest.data())) << set.Error();
  EXPECT_EQ(timeout, 2);
  EXPECT_EQ(set.Positional(), (std::vector<std::string>{"02:00:00:00:00:01", "name=press"}));
}

TEST(CommandLineTest, HelpIsMadeFromTheOptionsAndAHandWrittenOneIsChecked) {
  double seconds = 5;
  bool netns = false;
  std::uint64_t rate = 0;
  int mix = 0;
  CommandLine line("bench");
  line.Fraction("seconds", seconds, 0.1, 60, {"S", "how long each mix runs\n(default 5)"})
      .Choice("mix", mix, {{"duplicates", 1}, {"distinct", 2}, {"both", 3}}, "which")
      .Number("rate", rate, 0, UINT64_MAX)
      .Flag("netns", netns, "in namespaces");
  // The usage line in full; the help only as far as naming every option and no other.
  EXPECT_EQ(line.Usage(),
            "usage: bench [--seconds S] [--mix duplicates|distinct|both] [--rate N] [--netns]");
  EXPECT_TRUE(line.HelpMismatches(line.Help()).empty()) << line.Help();
  const std::string written =
      "  --seconds S   each mix; see also --netns\n"
      "  --mix M       (not --mixes, nor --sconds)\n"
      "  --help\n"
      "  --rate-limit  none\n";
  EXPECT_EQ(
      line.HelpMismatches(written),
      (std::vector<std::string>{"--rate is not in the help text", "--netns is not in the help text",
                                "the help text names --mixes, which is no option",
                                "the help text names --sconds, which is no option",
                                "the help text names --rate-limit, which is no option"}));

  // A program of options only gets its exit code: none to go on, 0 after the help, 2 after a
  // fault, said with the usage.
  const auto run = [&line](std::vector<const char*> words) {
    words.insert(words.begin(), "bench");
    return line.ParseOrExitCode(static_cast<int>(words.size()), words.data());
  };
  EXPECT_EQ(run({"--netns"}), std::nullopt);
  EXPECT_TRUE(netns);
  testing::internal::CaptureStdout();
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), line.Help());
  testing::internal::CaptureStderr();
  EXPECT_EQ(run({"--netns", "extra"}), 2);
  EXPECT_EQ(run({"--loud"}), 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "bench: unexpected argument 'extra'\n" + line.Usage() +
                "\nbench: unknown option '--loud' (see --help)\n" + line.Usage() + "\n");
}

}  // namespace
