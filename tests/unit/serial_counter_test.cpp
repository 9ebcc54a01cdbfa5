// The production line's serial-number file: every number is given once, also when several
// processes take numbers at once through any of the counter's names; only a whole number is
// taken; the replaced file and the lock stay usable for every station of the counter's group;
// a refused or unreadable number changes nothing.
#include "platform/posix/serial_counter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <sstream>

#include "tests/support/forked_child.h"
#include "tests/support/temp_folder.h"

namespace {

class SerialCounterTest : public ::testing::Test {
 protected:
  struct Taken {
    bool Done = false;
    std::optional<std::uint64_t> Given;  // the number handed over, when one was
    std::string Error;
  };
  // Takes the next number through `name`, as assign does.
  static Taken Take(const std::string& name) {
    Taken taken;
    taken.Done = SerialCounter(name).Advance(
        [&](std::uint64_t number) -> std::optional<std::uint64_t> {
          taken.Given = number;
          return number + 1;
        },
        taken.Error);
    return taken;
  }

  TempFolder folder;
  const std::string counter = folder / "serial";
};

TEST_F(SerialCounterTest, ProcessesTakingNumbersAtOnceThroughAnyNameNeverGetTheSameOne) {
  ASSERT_EQ(mkdir((folder / "real").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((folder / "st1").c_str(), 0755), 0);
  WriteFileBytes(folder / "real/serial", "1000\n");
  ASSERT_EQ(symlink((folder / "real/serial").c_str(), (folder / "st1/serial").c_str()), 0);
  ASSERT_EQ(symlink("real/serial", counter.c_str()), 0);
  const std::string names[] = {folder / "real/serial", folder / "st1/serial", counter};

  constexpr int kProcesses = 4, kEach = 60;
  const std::vector<ForkedResult> takers =
      InForkedChildren(kProcesses, [&](int p, std::string& report) {
        for (int i = 0; i < kEach; ++i) {
          const Taken taken = Take(names[(p + i) % 3]);
          report += taken.Done && taken.Given ? std::to_string(*taken.Given) + "\n" : taken.Error;
        }
      });
  std::multiset<std::uint64_t> numbers;
  for (const ForkedResult& taker : takers) {
    EXPECT_EQ(taker.Status, 0);
    std::istringstream lines(taker.Report);
    for (std::uint64_t n; lines >> n;)
      numbers.insert(n);
  }
  ASSERT_EQ(numbers.size(), std::size_t{kProcesses * kEach});
  const std::set<std::uint64_t> distinct(numbers.begin(), numbers.end());
  EXPECT_EQ(distinct.size(), numbers.size()) << "a number was given twice";
  EXPECT_EQ(*distinct.begin(), 1000u);
  EXPECT_EQ(*distinct.rbegin(), 1000u + kProcesses * kEach - 1);
  EXPECT_EQ(ReadFileBytes(folder / "real/serial"),
            std::to_string(1000 + kProcesses * kEach) + "\n");
  // The links are links still, and the lock is the real file's.
  struct stat link {};
  EXPECT_TRUE(lstat((folder / "st1/serial").c_str(), &link) == 0 && S_ISLNK(link.st_mode));
  EXPECT_EQ(access((folder / "real/serial.lock").c_str(), F_OK), 0);
  EXPECT_NE(access((folder / "st1/serial.lock").c_str(), F_OK), 0);
}

TEST_F(SerialCounterTest, ACounterThatIsNotOneRegularFileIsRefusedAndLeftAsItWas) {
  WriteFileBytes(counter, "7\n");
  ASSERT_EQ(link(counter.c_str(), (folder / "other").c_str()), 0);
  Taken taken = Take(counter);
  EXPECT_FALSE(taken.Done);
  EXPECT_FALSE(taken.Given);
  EXPECT_EQ(taken.Error, counter +
                             " has 2 hard links: replacing it would leave the old number under the "
                             "other names, and a station that takes it there would give a number "
                             "again. Keep one name (symbolic links to it are fine)");
  EXPECT_EQ(ReadFileBytes(folder / "other"), "7\n");
  ASSERT_EQ(unlink((folder / "other").c_str()), 0);
  EXPECT_EQ(ReadFileBytes(counter), "7\n");

  // A FIFO would block the reader for ever.
  const std::string fifo = folder / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const ForkedResult alone =
      InForkedChild([&](std::string& report) { report = Take(fifo).Error; }, 5);
  EXPECT_EQ(alone.Status, 0) << "blocked";
  EXPECT_EQ(alone.Report, fifo + " is a FIFO (named pipe), not a file with a serial number");
  EXPECT_NE(access((fifo + ".lock").c_str(), F_OK), 0) << "a lock file beside a FIFO";
  EXPECT_EQ(Take(folder.Path()).Error,
            folder.Path() + " is a folder, not a file with a serial number");
  EXPECT_EQ(Take(folder / "missing").Error,
            "cannot read " + folder / "missing" + ": No such file or directory");
}

TEST_F(SerialCounterTest, OnlyDigitsFollowedByNothingButBlanksAndALineEndAreANumber) {
  const std::pair<std::string, std::uint64_t> numbers[] = {
      {"42", 42},     {"42\n", 42},
      {"42\r\n", 42}, {"42 \t \n", 42},
      {"42\t", 42},   {std::string(27, '0') + "4242\n", 4242}};  // 32 bytes, the most there may be
  for (const auto& [text, number] : numbers) {
    WriteFileBytes(counter, text);
    const Taken taken = Take(counter);
    EXPECT_TRUE(taken.Done) << taken.Error;
    EXPECT_EQ(taken.Given, number) << text;
    EXPECT_EQ(ReadFileBytes(counter), std::to_string(number + 1) + "\n");
  }

  const std::string notANumber =
      ", not a serial number (decimal digits, then nothing but blanks and a line end)";
  const std::pair<std::string, std::string> refused[] = {
      {std::string(28, '0') + "4242\n",
       "is longer than 32 bytes, it begins \"" + std::string(28, '0') + "4242\""},
      {"42" + std::string(30, ' ') + "junk",
       "is longer than 32 bytes, it begins \"42" + std::string(30, ' ') + "\""},
      {"42 junk\n", "holds \"42 junk\\x0A\"" + notANumber},
      {"4\x1B]0;x\a\xC3\xA9\n", "holds \"4\\x1B]0;x\\x07\\xC3\\xA9\\x0A\"" + notANumber},
      {std::string("42\0\n", 4), "holds \"42\\x00\\x0A\"" + notANumber},
      {"", "is empty"},
      {"99999999999999999999999\n",
       "holds \"99999999999999999999999\\x0A\", a number too large for a serial number"}};
  std::vector<std::pair<std::string, std::string>> all(std::begin(refused), std::end(refused));
  for (const std::string text : {"\n", " 42\n", "4 2\n", "42\n\n", "42\r", "42\n7\n", "+42\n",
                                 "-3\n", "0x10\n", "\xEF\xBC\x94\xEF\xBC\x92\n"})
    all.emplace_back(text, "");
  for (const auto& [text, why] : all) {
    WriteFileBytes(counter, text);
    const Taken taken = Take(counter);
    EXPECT_FALSE(taken.Done || taken.Given) << text;
    EXPECT_TRUE(taken.Error.starts_with(counter + " ")) << taken.Error;
    EXPECT_TRUE(why.empty() || taken.Error == counter + " " + why) << taken.Error;
    EXPECT_EQ(ReadFileBytes(counter), text);
  }
}

TEST_F(SerialCounterTest, TheReplacedCounterAndItsLockKeepItsModeAndGroupWhateverTheUmask) {
  WriteFileBytes(counter, "5\n");
  ASSERT_EQ(chmod(counter.c_str(), 0660), 0);
  // Another owner and group where this account may give them (root), else one of its groups.
  uid_t owner = geteuid();
  gid_t group = getegid();
  if (owner == 0) {
    owner = 4321;
    group = 4322;
  } else {
    gid_t groups[64];
    const int count = getgroups(64, groups);
    for (int i = 0; i < count; ++i)
      if (groups[i] != group) group = groups[i];
  }
  ASSERT_EQ(chown(counter.c_str(), owner, group), 0);

  const mode_t kept = umask(077);
  Taken taken = Take(counter);
  WriteFileBytes(counter + ".lock", "");
  chmod((counter + ".lock").c_str(), 0600);  // as an older run made it
  const Taken again = Take(counter);
  umask(kept);
  EXPECT_TRUE(taken.Done && again.Done) << taken.Error << again.Error;
  EXPECT_EQ(ReadFileBytes(counter), "7\n");
  struct stat replaced {};
  struct stat lock {};
  ASSERT_EQ(stat(counter.c_str(), &replaced) | stat((counter + ".lock").c_str(), &lock), 0);
  EXPECT_EQ((std::vector<unsigned>{replaced.st_mode & 07777, replaced.st_uid, replaced.st_gid,
                                   lock.st_mode & 07777, lock.st_gid}),
            (std::vector<unsigned>{0660u, owner, group, 0660u, group}));
}

// Replacements that a killed run left are removed under the lock, and only those; a number
// refused, or not written back, is not given and changes nothing.
TEST_F(SerialCounterTest, LeftReplacementsGoAndANumberNotWrittenBackIsNotGiven) {
  WriteFileBytes(counter, "5\n");
  for (const char* name : {"serial.tmp.1", "serial.tmp.99999", "serial.tmp", "other.tmp.5"})
    WriteFileBytes(folder / name, "4\n");
  ASSERT_EQ(mkdir((folder / "serial.tmp.folder").c_str(), 0755), 0);
  EXPECT_TRUE(Take(counter).Done);
  for (const char* name : {"serial.tmp.1", "serial.tmp.99999"})
    EXPECT_NE(access((folder / name).c_str(), F_OK), 0) << name;
  for (const char* name : {"serial.tmp", "other.tmp.5", "serial.tmp.folder"})
    EXPECT_EQ(access((folder / name).c_str(), F_OK), 0) << name;

  WriteFileBytes(counter, "16777216\n");
  std::string error;
  EXPECT_TRUE(SerialCounter(counter).Advance([](std::uint64_t) { return std::nullopt; }, error));
  EXPECT_EQ(ReadFileBytes(counter), "16777216\n");
  WriteFileBytes(counter, "7\n");
  // The replacement file's place is taken by a folder, which nobody can open for writing.
  const std::string replacement = counter + ".tmp." + std::to_string(getpid());
  ASSERT_EQ(mkdir(replacement.c_str(), 0755), 0);
  const Taken taken = Take(counter);
  EXPECT_FALSE(taken.Done);
  EXPECT_EQ(taken.Error, "cannot write " + replacement + ": File exists");
  EXPECT_EQ(ReadFileBytes(counter), "7\n");
}

}  // namespace
