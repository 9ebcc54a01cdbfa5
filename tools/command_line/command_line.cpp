#include "tools/command_line/command_line.h"

#include <getopt.h>

#include <cstdio>

namespace {

// getopt_long's codes: option i of the table is kFirstOption + i, above every short option
// character; the long "--help" has its own, so that its spelling can be checked.
constexpr int kFirstOption = 256;
constexpr int kLongHelp = kFirstOption - 1;
// getopt_long's code for an argument that is not an option, with the '-' ordering.
constexpr int kNotAnOption = 1;

// What was written of a long option: "--name" without a "=value".
std::string_view WrittenName(const char* argument) {
  const std::string_view text(argument);
  return text.substr(0, text.find('='));
}

}  // namespace

CommandLine::CommandLine(std::string program, std::string operands)
    : program_(std::move(program)), operands_(std::move(operands)) {}

CommandLine& CommandLine::Add(std::string name, std::string defaultValue, OptionText text,
                              Reader read) {
  Option option;
  option.Name = std::move(name);
  option.Value = text.Value.empty() ? std::move(defaultValue) : std::move(text.Value);
  option.Help = std::move(text.Help);
  option.Read = std::move(read);
  options_.push_back(std::move(option));
  return *this;
}

CommandLine& CommandLine::Flag(std::string name, bool& target, OptionText text) {
  Add(std::move(name), {}, std::move(text), [&target](std::string_view, std::string&) {
    target = true;
    return true;
  });
  options_.back().TakesValue = false;
  options_.back().Value.clear();
  return *this;
}

CommandLine& CommandLine::Fraction(std::string name, double& target, double min, double max,
                                   OptionText text) {
  char expected[64];
  std::snprintf(expected, sizeof expected, "not a number from %g to %g", min, max);
  return Add(std::move(name), "X", std::move(text),
             Checked(target, expected, [min, max](std::string_view value) {
               return ParseFraction(value, min, max);
             }));
}

CommandLine& CommandLine::DottedQuad(std::string name, std::uint32_t& target, OptionText text) {
  return Add(std::move(name), "ADDR", std::move(text),
             Checked(target, "not a dotted IPv4 address", ParseDottedQuad));
}

CommandLine& CommandLine::Mac(std::string name, MacAddress& target, OptionText text) {
  return Add(std::move(name), "MAC", std::move(text),
             Checked(target, "not a MAC address", ParseMac));
}

CommandLine& CommandLine::Text(std::string name, std::string& target, std::size_t maxLength,
                               OptionText text) {
  const auto fits = [maxLength](std::string_view value) {
    return value.empty() || value.size() > maxLength ? std::nullopt
                                                     : std::optional<std::string>(value);
  };
  return Add(
      std::move(name), "TEXT", std::move(text),
      Checked(target, "not a text of 1 to " + std::to_string(maxLength) + " characters", fits));
}

CommandLine& CommandLine::Custom(std::string name, Reader read, OptionText text) {
  Add(std::move(name), "VALUE", std::move(text), std::move(read));
  options_.back().Repeatable = true;
  return *this;
}

CommandLine& CommandLine::StopAtCommand() {
  stopAtCommand_ = true;
  return *this;
}

bool CommandLine::Given(std::string_view name) const {
  for (const Option& option : options_)
    if (option.Name == name) return option.Given;
  return false;
}

bool CommandLine::Fail(std::string message) {
  error_ = std::move(message);
  return false;
}

bool CommandLine::ReadValue(Option& option, std::string_view value) {
  // The second of two values would win without a word, and a script rarely means that.
  if (option.Given && !option.Repeatable)
    return Fail("option --" + option.Name + " is given more than once");
  option.Given = true;
  std::string why;
  if (option.Read(value, why)) return true;
  return Fail("bad value '" + std::string(value) + "' for --" + option.Name + ": " + why);
}

bool CommandLine::Parse(int argc, const char* const* argv) {
  error_.clear();
  positional_.clear();
  helpWanted_ = false;
  for (Option& option : options_)
    option.Given = false;

  // getopt_long reorders the pointers it is given (never the texts), so it gets a copy.
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i)
    args.push_back(const_cast<char*>(argv[i]));
  args.push_back(nullptr);

  std::vector<option> table;
  for (std::size_t i = 0; i < options_.size(); ++i) {
    table.push_back({options_[i].Name.c_str(),
                     options_[i].TakesValue ? required_argument : no_argument, nullptr,
                     kFirstOption + static_cast<int>(i)});
  }
  table.push_back({"help", no_argument, nullptr, kLongHelp});
  table.push_back({nullptr, 0, nullptr, 0});

  // '-' hands back the other arguments in their order whatever POSIXLY_CORRECT says; '+' stops
  // at the first of them. ':' tells a missing value from an unknown option and keeps getopt_long
  // from printing.
  const char* shortOptions = stopAtCommand_ ? "+:h" : "-:h";
  opterr = 0;
  optind = 0;  // rather than 1: starts afresh, also after an earlier parse
  for (;;) {
    const int found = getopt_long(argc, args.data(), shortOptions, table.data(), nullptr);
    if (found == -1) break;
    if (found == kNotAnOption) {
      positional_.emplace_back(optarg);
      continue;
    }
    if (found == 'h') {
      helpWanted_ = true;
      continue;
    }
    if (found == kLongHelp || found >= kFirstOption) {
      // getopt_long also takes an unambiguous abbreviation; only the whole name is an option.
      const bool separateValue = optarg != nullptr && optarg == args[optind - 1];
      const std::string_view written = WrittenName(args[optind - (separateValue ? 2 : 1)]);
      const std::string_view name = found == kLongHelp ? "help" : table[found - kFirstOption].name;
      if (written.substr(2) != name)
        return Fail("unknown option '" + std::string(written) + "' (see --help)");
      if (found == kLongHelp)
        helpWanted_ = true;
      else if (!ReadValue(options_[found - kFirstOption], optarg != nullptr ? optarg : ""))
        return false;
      continue;
    }
    // A fault: optopt names the option concerned, 0 an unknown or ambiguous long one.
    if (optopt >= kFirstOption) {
      const Option& option = options_[optopt - kFirstOption];
      return Fail("option --" + option.Name +
                  (option.TakesValue ? " needs a value" : " takes no value"));
    }
    if (optopt == kLongHelp) return Fail("option --help takes no value");
    const std::string written = optopt == 0 ? std::string(WrittenName(args[optind - 1]))
                                            : std::string{'-', static_cast<char>(optopt)};
    return Fail("unknown option '" + written + "' (see --help)");
  }
  for (; optind < argc; ++optind)
    positional_.emplace_back(args[optind]);
  return true;
}

std::optional<int> CommandLine::ParseOrExitCode(int argc, const char* const* argv) {
  bool ok = Parse(argc, argv);
  if (ok && !positional_.empty()) ok = Fail("unexpected argument '" + positional_.front() + "'");
  if (!ok) {
    std::fprintf(stderr, "%s: %s\n%s\n", program_.c_str(), error_.c_str(), Usage().c_str());
    return 2;
  }
  if (helpWanted_) {
    std::fputs(Help().c_str(), stdout);
    return 0;
  }
  return std::nullopt;
}
