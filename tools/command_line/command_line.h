#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "protocol/text_values.h"

// How an option is shown in the help text: `.Flag("netns", netns, "in namespaces")`,
// `.Number("runs", runs, 2, 1000, {"COUNT", "starts of each mode"})`.
struct OptionText {
  OptionText() = default;
  OptionText(const char* help) : Help(help) {}  // implicit, for the help alone
  OptionText(std::string value, std::string help)
      : Value(std::move(value)), Help(std::move(help)) {}

  std::string Value;  // the value's name ("N", "ADDR"); empty: the usual name for its kind
  std::string Help;   // what the option does; may run over several lines
};

// Long options ("--name value", "--name=value", "--flag") bound to typed variables, read with
// getopt_long. Values are checked with the protocol's text helpers; a bad one stops the parse
// with one line that names the option and the value. Arguments that are not options are left
// to the caller, in their order. "--help" and "-h" are always known.
//
// A program with commands ("prog [options] COMMAND [command options] ARGS") parses its own
// options with StopAtCommand(), then gives Positional() (the command first) to the command's
// own CommandLine.
//
// getopt_long keeps its state in globals: parse on one thread, one command line at a time.
class CommandLine {
 public:
  // Reads one value into its variable; false with a reason when the text is no such value.
  using Reader = std::function<bool(std::string_view value, std::string& why)>;

  // `program` and `operands` make the usage line: "usage: PROGRAM [options...] OPERANDS".
  explicit CommandLine(std::string program, std::string operands = {});

  CommandLine& Flag(std::string name, bool& target, OptionText text = {});
  // A whole decimal number of T within [min, max].
  template <std::integral T>
  CommandLine& Number(std::string name, T& target, std::type_identity_t<T> min,
                      std::type_identity_t<T> max, OptionText text = {});
  // A decimal fraction within [min, max], such as 0.5 or 3.
  CommandLine& Fraction(std::string name, double& target, double min, double max,
                        OptionText text = {});
  CommandLine& DottedQuad(std::string name, std::uint32_t& target, OptionText text = {});
  CommandLine& Mac(std::string name, MacAddress& target, OptionText text = {});
  // A text of 1 to `maxLength` characters.
  CommandLine& Text(std::string name, std::string& target, std::size_t maxLength,
                    OptionText text = {});
  // One of the names given, each standing for a value of T.
  template <class T>
  CommandLine& Choice(
      std::string name, T& target,
      std::initializer_list<std::pair<std::string_view, std::type_identity_t<T>>> choices,
      OptionText text = {});
  // Any other value; `read` is called for every occurrence, in order. Every other kind of
  // option may be given once.
  CommandLine& Custom(std::string name, Reader read, OptionText text = {});

  // Makes the first argument that is not an option end the options: it and everything after
  // it, options included, stay for the caller.
  CommandLine& StopAtCommand();

  // Reads argv[1] to argv[argc - 1]; argv itself is left as it was. "--" ends the options.
  // False after the first fault, with Error() saying what it is.
  bool Parse(int argc, const char* const* argv);
  const std::string& Error() const { return error_; }
  const std::vector<std::string>& Positional() const { return positional_; }
  bool HelpWanted() const { return helpWanted_; }
  // Whether the option was on the command line (for a default that depends on another one).
  bool Given(std::string_view name) const;

  // For a program that takes options only: parses, prints the help text to stdout for --help,
  // or the error and the usage line to stderr for a bad command line. Nothing when the program
  // is to go on, else the status to exit with: 0 after --help, 2 after an error.
  std::optional<int> ParseOrExitCode(int argc, const char* const* argv);

  // "usage: PROGRAM [--name VALUE] [--flag] ... OPERANDS".
  std::string Usage() const;
  // The usage line and a table of the options with their help.
  std::string Help() const;
  // Checks a help text written by hand against the options: every option must start a line of
  // it, and every "--name" in it must be an option. One line for each fault; none when it fits.
  std::vector<std::string> HelpMismatches(std::string_view text) const;

 private:
  struct Option {
    std::string Name;
    bool TakesValue = true;
    std::string Value;  // name of the value in the help text
    std::string Help;
    Reader Read;
    bool Given = false;
    bool Repeatable = false;
  };

  CommandLine& Add(std::string name, std::string defaultValue, OptionText text, Reader read);
  // A reader that stores what `parse` yields, or gives `expected` as the reason when it yields
  // nothing.
  template <class T, class Parser>
  static Reader Checked(T& target, std::string expected, Parser parse);
  bool Fail(std::string message);
  bool ReadValue(Option& option, std::string_view value);

  std::string program_;
  std::string operands_;
  std::vector<Option> options_;
  bool stopAtCommand_ = false;
  bool helpWanted_ = false;
  std::string error_;
  std::vector<std::string> positional_;
};

template <class T, class Parser>
CommandLine::Reader CommandLine::Checked(T& target, std::string expected, Parser parse) {
  return
      [&target, expected = std::move(expected), parse](std::string_view value, std::string& why) {
        const auto parsed = parse(value);
        if (!parsed) {
          why = expected;
          return false;
        }
        target = *parsed;
        return true;
      };
}

template <std::integral T>
CommandLine& CommandLine::Number(std::string name, T& target, std::type_identity_t<T> min,
                                 std::type_identity_t<T> max, OptionText text) {
  const auto inRange = [min, max](std::string_view value) {
    const std::optional<T> number = ParseNumber<T>(value);
    return number && *number >= min && *number <= max ? number : std::nullopt;
  };
  return Add(
      std::move(name), "N", std::move(text),
      Checked(target,
              "not a whole number from " + std::to_string(min) + " to " + std::to_string(max),
              inRange));
}

template <class T>
CommandLine& CommandLine::Choice(
    std::string name, T& target,
    std::initializer_list<std::pair<std::string_view, std::type_identity_t<T>>> choices,
    OptionText text) {
  std::vector<std::pair<std::string, T>> known;
  std::string names;
  for (const auto& [choiceName, choiceValue] : choices) {
    known.emplace_back(choiceName, choiceValue);
    names += (names.empty() ? "" : "|") + std::string(choiceName);
  }
  const auto named = [known](std::string_view value) {
    for (const auto& [choiceName, choiceValue] : known)
      if (value == choiceName) return std::optional<T>(choiceValue);
    return std::optional<T>();
  };
  return Add(std::move(name), names, std::move(text),
             Checked(target, "not one of " + names, named));
}
