// The record file of the window's and vellora-cli's --log: lines whole or not at all, also on a
// full disk and with several programs appending at once; lost lines counted and said; only a
// regular file, opened without blocking; a record deleted or moved away is opened anew.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <map>
#include <regex>
#include <sstream>

#include "platform/posix/append_file.h"
#include "tests/support/forked_child.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kStamp = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d)";
const std::regex kLostNote(
    "(.+)\\[\\d+\\]: (\\d+) lines? could not be written to the record from (" + kStamp +
    ") on, and are missing");

class RecordFileTest : public ::testing::Test {
 protected:
  std::unique_ptr<AppendFile> OpenRecord(const std::string& path) const {
    std::string error;
    std::unique_ptr<AppendFile> file = AppendFile::Open(path, error);
    EXPECT_NE(file, nullptr) << error;
    return file;
  }
  // The texts of the record's lines, without their times; each line checked for its form.
  static std::vector<std::string> Texts(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    EXPECT_TRUE(bytes.empty() || bytes.back() == '\n') << "the record ends inside a line";
    std::vector<std::string> texts;
    std::istringstream lines(bytes);
    const std::regex form("(" + kStamp + ") (.*)");
    for (std::string line; std::getline(lines, line);) {
      std::smatch parts;
      EXPECT_TRUE(std::regex_match(line, parts, form)) << "a torn line: " << line;
      texts.push_back(parts.size() == 3 ? parts[2].str() : line);
    }
    return texts;
  }
  // What a child reports on one line of a call: "stored", or "lost: " and the reason.
  static std::string Outcome(bool stored, const std::string& error) {
    return stored ? "stored\n" : "lost: " + error + "\n";
  }
  // Lets the file grow by at most `bytes` in this process; a write beyond fails with EFBIG.
  static void LimitGrowth(const std::string& path, off_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    struct stat now {};
    stat(path.c_str(), &now);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(now.st_size + bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  static void LiftLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_FSIZE, &limit);
  }

  TempFolder folder;
  const std::string record = folder / "line.log";
};

// A line is the time and the text in UTF-8 with control bytes escaped. On a full disk lines are
// lost whole, and the next line says how many since when.
TEST_F(RecordFileTest, OnAFullDiskLinesAreLostWholeAndTheNextLineSaysHowManySinceWhen) {
  const ForkedResult child = InForkedChild([&](std::string& report) {
    std::string error;
    const auto file = OpenRecord(record);
    file->AppendLine("f\xFCr \x1B[2J\x7F\x81 a\nb", error);
    const std::string before = ReadFileBytes(record);
    LimitGrowth(record, 20);
    report += Outcome(file->AppendLine("a line longer than twenty bytes", error), error);
    report += ReadFileBytes(record) == before ? "cut back\n" : "part of the line is left\n";
    report += Outcome(file->AppendLineDurably("a request line, to be on disk", error), error);
    LiftLimit();
    report += Outcome(file->AppendLine("after", error), error);
  });
  EXPECT_EQ(child.Status, 0);
  EXPECT_EQ(child.Report, "lost: File too large\ncut back\nlost: File too large\nstored\n");

  const std::vector<std::string> texts = Texts(record);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "f\xC3\xBCr \\x1B[2J\\x7F\\x81 a\\x0Ab");
  std::smatch note;
  EXPECT_TRUE(std::regex_match(texts[1], note, kLostNote)) << texts[1];
  EXPECT_EQ(note.size() > 2 ? note[2].str() : "", "2");
  EXPECT_EQ(texts[2], "after");
  // The time of the first lost line, between the lines around it.
  const std::string bytes = ReadFileBytes(record);
  const std::string first = note.size() > 3 ? note[3].str() : "";
  EXPECT_LE(bytes.substr(0, first.size()), first);
  EXPECT_GE(bytes.substr(bytes.rfind('\n', bytes.size() - 2) + 1, first.size()), first);
}

TEST_F(RecordFileTest, WritersAppendingAtOnceKeepEveryLineWholeAlsoWhenOneRunsOutOfRoom) {
  const auto opened = OpenRecord(record);  // made before the writers start
  constexpr int kWriters = 4, kLines = 150;
  const std::vector<ForkedResult> writers =
      InForkedChildren(kWriters, [&](int w, std::string& report) {
        const auto file = OpenRecord(record);
        int stored = 0;
        for (int n = 0; n < kLines; ++n) {
          // Writer 0 has room for only part of each line: they are all lost, and cut back.
          if (w == 0) LimitGrowth(record, 10);
          stored += file->AppendLine("writer " + std::to_string(w) + " line " + std::to_string(n));
        }
        if (w == 0) LiftLimit();
        stored += file->AppendLine("writer " + std::to_string(w) + " done");
        report = std::to_string(stored);
      });

  std::map<std::string, int> seen;
  std::string lostNote;
  for (const std::string& text : Texts(record)) {
    if (std::regex_match(text, kLostNote))
      lostNote = text;
    else
      EXPECT_EQ(++seen[text], 1) << "twice: " << text;
  }
  for (int w = 0; w < kWriters; ++w) {
    const int stored = w == 0 ? 1 : kLines + 1;
    EXPECT_EQ(writers[w].Report, std::to_string(stored)) << "writer " << w;
    for (int n = 0; n < kLines; ++n)
      EXPECT_EQ(seen.count("writer " + std::to_string(w) + " line " + std::to_string(n)),
                w == 0 ? 0u : 1u);
    EXPECT_EQ(seen.count("writer " + std::to_string(w) + " done"), 1u);
  }
  std::smatch count;
  EXPECT_TRUE(std::regex_match(lostNote, count, kLostNote));
  EXPECT_EQ(count.size() > 2 ? count[2].str() : "", std::to_string(kLines));
  EXPECT_EQ(seen.size(), std::size_t{(kWriters - 1) * (kLines + 1) + 1});
}

TEST_F(RecordFileTest, AWriterWaitsForItsTurnSoThatCuttingBackNeverTakesAnotherWritersLine) {
  OpenRecord(record)->AppendLine("first");
  // Another program is in the middle of its line, and holds its turn.
  const int other = open(record.c_str(), O_WRONLY | O_APPEND);
  ASSERT_EQ(flock(other, LOCK_EX), 0);
  ASSERT_EQ(write(other, "2026-12-06T14:03:05.123+01:00 the other", 39), 39);

  ForkedChild writer([&](std::string& report) {
    const auto file = OpenRecord(record);
    std::string error;
    LimitGrowth(record, 60);  // room for the other's line, and only part of this one
    report += Outcome(file->AppendLine(std::string(100, 'x'), error), error);
  });
  const std::string waiting = "-> FLOCK  ADVISORY  WRITE " + std::to_string(writer.Pid()) + " ";
  EXPECT_TRUE(writer.WaitFor([&] {
    return ReadFileBytes("/proc/locks").find(waiting) != std::string::npos;
  })) << "the writer did not wait for its turn";
  ASSERT_EQ(write(other, "'s line\n", 8), 8);
  flock(other, LOCK_UN);
  close(other);
  EXPECT_EQ(writer.Finish().Report, "lost: File too large\n");
  EXPECT_EQ(Texts(record), (std::vector<std::string>{"first", "the other's line"}));
}

TEST_F(RecordFileTest, OnlyARegularFileIsOpenedAndOpeningNeverBlocks) {
  // A FIFO that nobody reads: open(2) for writing would wait for a reader for ever.
  ASSERT_EQ(mkfifo(record.c_str(), 0644), 0);
  const ForkedResult alone = InForkedChild(
      [&](std::string& report) {
        std::string error;
        report = AppendFile::Open(record, error) ? "opened" : error;
      },
      5);
  EXPECT_EQ(alone.Status, 0) << "blocked";
  EXPECT_EQ(alone.Report, "it is a FIFO (named pipe), not a regular file");
  std::string error;
  EXPECT_EQ(AppendFile::Open("/dev/null", error), nullptr);
  EXPECT_EQ(error, "it is a character device, not a regular file");
  EXPECT_EQ(AppendFile::Open(folder.Path(), error), nullptr);
  EXPECT_EQ(error, "it is a folder, not a regular file");

  // A symbolic link to a regular file is followed.
  const std::string real = folder / "real.log";
  ASSERT_EQ(symlink(real.c_str(), (folder / "link.log").c_str()), 0);
  EXPECT_TRUE(OpenRecord(folder / "link.log")->AppendLine("through the link"));
  EXPECT_EQ(Texts(real), std::vector<std::string>{"through the link"});
}

TEST_F(RecordFileTest, ARecordDeletedOrMovedAwayIsOpenedAnewWithALineThatSaysSo) {
  const auto file = OpenRecord(record);
  std::string error;
  EXPECT_TRUE(file->AppendLine("first"));
  ASSERT_EQ(unlink(record.c_str()), 0);
  EXPECT_TRUE(file->AppendLineDurably("after the delete", error)) << error;
  EXPECT_TRUE(file->AppendLine("next"));
  std::vector<std::string> texts = Texts(record);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_TRUE(std::regex_match(
      texts[0], std::regex(".+\\[\\d+\\]: the record " + record +
                           " was deleted or moved away while open; this is a new file")))
      << texts[0];
  EXPECT_EQ(texts[1], "after the delete");
  EXPECT_EQ(texts[2], "next");

  // Moved away, as a log rotation does, and a FIFO in its place for a while.
  ASSERT_EQ(rename(record.c_str(), (record + ".1").c_str()), 0);
  ASSERT_EQ(mkfifo(record.c_str(), 0644), 0);
  EXPECT_FALSE(file->AppendLineDurably("not while a FIFO is there", error));
  EXPECT_EQ(error,
            "cannot open " + record + " anew: it is a FIFO (named pipe), not a regular file");
  ASSERT_EQ(unlink(record.c_str()), 0);
  EXPECT_TRUE(file->AppendLine("back"));
  texts = Texts(record);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_NE(texts[0].find("was deleted or moved away while open"), std::string::npos);
  std::smatch count;
  EXPECT_TRUE(std::regex_match(texts[1], count, kLostNote)) << texts[1];
  EXPECT_EQ(count.size() > 2 ? count[2].str() : "", "1");
  EXPECT_EQ(texts[2], "back");
  EXPECT_EQ(Texts(record + ".1").size(), 3u);
}

}  // namespace
