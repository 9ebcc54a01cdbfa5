// The production line's serial-number file: every number is given once, also when several
// processes take numbers at the same time, and a refused or unreadable number changes nothing.
#include "cli/serial_counter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

class SerialCounterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/vellora-serial-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    folder = name;
    path = folder + "/serial";
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  void Write(const std::string& text) const { std::ofstream(path) << text; }
  std::string Read() const {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  }

  std::string folder, path;
};

TEST_F(SerialCounterTest, ProcessesTakingNumbersAtOnceNeverGetTheSameOne) {
  Write("1000\n");
  constexpr int kProcesses = 4, kEach = 60;
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  for (int p = 0; p < kProcesses; ++p) {
    if (fork() != 0) continue;
    close(pipeFds[0]);
    for (int i = 0; i < kEach; ++i) {
      std::string error;
      const bool done = SerialCounter(path).Advance(
          [&](std::uint64_t number) -> std::optional<std::uint64_t> {
            const std::string line = std::to_string(number) + "\n";
            if (write(pipeFds[1], line.data(), line.size()) < 0) _exit(2);
            return number + 1;
          },
          error);
      if (!done) _exit(1);
    }
    _exit(0);
  }
  close(pipeFds[1]);
  std::string taken;
  char chunk[512];
  for (ssize_t got; (got = read(pipeFds[0], chunk, sizeof chunk)) > 0;)
    taken.append(chunk, static_cast<std::size_t>(got));
  close(pipeFds[0]);
  for (int p = 0; p < kProcesses; ++p) {
    int status = 0;
    wait(&status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  std::multiset<std::uint64_t> numbers;
  std::istringstream lines(taken);
  for (std::uint64_t n; lines >> n;)
    numbers.insert(n);
  ASSERT_EQ(numbers.size(), std::size_t{kProcesses * kEach});
  std::set<std::uint64_t> distinct(numbers.begin(), numbers.end());
  EXPECT_EQ(distinct.size(), numbers.size()) << "a number was given twice";
  EXPECT_EQ(*distinct.begin(), 1000u);
  EXPECT_EQ(*distinct.rbegin(), 1000u + kProcesses * kEach - 1);
  EXPECT_EQ(Read(), std::to_string(1000 + kProcesses * kEach) + "\n");
}

TEST_F(SerialCounterTest, ARefusedOrUnreadableNumberLeavesTheFileAsItWas) {
  std::string error;
  Write("16777216\n");
  EXPECT_TRUE(SerialCounter(path).Advance([](std::uint64_t) { return std::nullopt; }, error));
  EXPECT_EQ(Read(), "16777216\n");

  bool used = false;
  const auto use = [&](std::uint64_t n) -> std::optional<std::uint64_t> {
    used = true;
    return n + 1;
  };
  for (const char* text : {"", "12a\n", "-3\n", "99999999999999999999999\n"}) {
    Write(text);
    EXPECT_FALSE(SerialCounter(path).Advance(use, error)) << text;
    EXPECT_NE(error.find("holds no serial number"), std::string::npos) << error;
    EXPECT_EQ(Read(), text);
  }
  EXPECT_FALSE(SerialCounter(folder + "/missing").Advance(use, error));
  EXPECT_NE(error.find("cannot read " + folder + "/missing"), std::string::npos) << error;
  EXPECT_FALSE(used);
}

TEST_F(SerialCounterTest, ANumberThatCannotBeWrittenBackIsNotGiven) {
  Write("7\n");
  // The replacement file's place is taken by a folder, which nobody can open for writing.
  ASSERT_EQ(mkdir((path + ".tmp." + std::to_string(getpid())).c_str(), 0755), 0);
  std::string error;
  EXPECT_FALSE(SerialCounter(path).Advance([](std::uint64_t n) { return n + 1; }, error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  EXPECT_EQ(Read(), "7\n");
}

}  // namespace
