#pragma once

#include <memory>
#include <string>

#include "platform/log_file.h"

// A log file opened for appending. Each line is written in one write(2): the time, a blank,
// the text in UTF-8 with control characters escaped (\xNN), and a line end, so that several
// programs can append to one file without tearing each other's lines.
class AppendFile final : public TLogFile {
 public:
  // nullptr with the reason in `error` when the file cannot be opened for appending.
  static std::unique_ptr<AppendFile> Open(const std::string& path, std::string& error);
  ~AppendFile() override;
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  bool AppendLine(const std::string& text) override;

  // "2026-12-06T14:03:05.123+01:00": the local time with its offset from UTC.
  static std::string Now();

 private:
  explicit AppendFile(int fd) : Fd(fd) {}
  int Fd;
};
