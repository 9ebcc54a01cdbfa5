#include "bench/terminal_ingest/flood_lines.h"

#include <cstdio>

namespace {

constexpr std::uint64_t kNumberWrap = 100000000;

}  // namespace

std::string FloodLine(std::uint64_t number, int length) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%08llu ",
                static_cast<unsigned long long>(number % kNumberWrap));
  std::string line(static_cast<std::size_t>(length), ' ');
  for (std::size_t i = 0; i < line.size(); ++i)
    line[i] = i < 9 ? digits[i] : static_cast<char>('A' + (i - 9) % 26);
  return line;
}

std::optional<std::uint64_t> FloodLineNumber(const std::string& line, int length) {
  if (line.size() != static_cast<std::size_t>(length) || length < 9) return std::nullopt;
  std::uint64_t number = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    if (line[i] < '0' || line[i] > '9') return std::nullopt;
    number = number * 10 + static_cast<std::uint64_t>(line[i] - '0');
  }
  if (line != FloodLine(number, length)) return std::nullopt;
  return number;
}

std::uint64_t UnwrapLineNumber(std::uint64_t shown, std::uint64_t bytesTaken, int length) {
  const std::uint64_t estimate = bytesTaken / (static_cast<std::uint64_t>(length) + 2);
  const auto distance = [estimate](std::uint64_t n) {
    return n > estimate ? n - estimate : estimate - n;
  };
  const std::uint64_t wraps = estimate / kNumberWrap;
  std::uint64_t best = shown;
  for (std::uint64_t k = wraps > 0 ? wraps - 1 : 0; k <= wraps + 1; ++k) {
    const std::uint64_t candidate = k * kNumberWrap + shown;
    if (distance(candidate) < distance(best)) best = candidate;
  }
  return best;
}

DebugListVerdict CheckDebugList(const std::vector<std::string>& lines, int expectedCount,
                                int length, const std::string& otherLine) {
  DebugListVerdict verdict;
  if (static_cast<int>(lines.size()) != expectedCount) {
    verdict.Faults.push_back("the list holds " + std::to_string(lines.size()) + " lines, not " +
                             std::to_string(expectedCount));
  }
  if (lines.empty() || !FloodLineNumber(lines.back(), length)) {
    verdict.Faults.push_back("the newest line is no complete flood line: \"" +
                             (lines.empty() ? std::string() : lines.back()) + "\"");
  }
  std::optional<std::uint64_t> previous;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::optional<std::uint64_t> number = FloodLineNumber(lines[i], length);
    if (!number) {
      if (lines[i] == otherLine) {
        ++verdict.OtherLines;
      } else {
        verdict.Faults.push_back("line " + std::to_string(i) + " is unexpected: \"" + lines[i] +
                                 "\"");
      }
      continue;
    }
    if (previous && *number != (*previous + 1) % kNumberWrap) {
      verdict.Faults.push_back("line " + std::to_string(i) + " is flood line " +
                               std::to_string(*number) + " after " + std::to_string(*previous));
    }
    previous = number;
    ++verdict.FloodLines;
    verdict.NewestNumber = *number;
  }
  if (verdict.Faults.size() > 8) verdict.Faults.resize(8);
  return verdict;
}
