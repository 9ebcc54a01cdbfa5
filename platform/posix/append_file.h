#pragma once

#include <memory>
#include <string>

#include "platform/log_file.h"
#include "platform/posix/file_descriptor.h"

// A record file that several programs append to at once (the window and the stations of
// vellora-cli). Each line is the time, a blank, the text in UTF-8 with control characters
// escaped (\xNN) and a line end, appended whole or not at all and in turn with the other
// writers (flock(2)). Lines that cannot be written are counted; the next line written is
// preceded by one that says how many were lost and since when. A record that is deleted or
// moved away while open is noticed at the next line, and the path is opened anew with a line
// that says so.
class AppendFile final : public TLogFile {
 public:
  // nullptr with the reason in `error` when the path cannot be opened for appending or is no
  // regular file (a FIFO, socket or device is refused; a symbolic link to a regular file is
  // followed). Never blocks.
  static std::unique_ptr<AppendFile> Open(const std::string& path, std::string& error);

  // "2026-12-06T14:03:05.123+01:00": the local time with its offset from UTC.
  static std::string Now();

 private:
  AppendFile(std::string path, FileDescriptor fd);
  bool Store(const std::string& text, Durability durability, std::string& error) override;
  // Opens the path anew when it no longer names the open file; false when that fails.
  bool FollowPath(std::string& error);
  bool Lose(const std::string& stamp);

  std::string Path;
  std::string Writer;  // "vellora-cli[4711]": who says what its own lines say
  FileDescriptor Fd;
  bool Reopened = false;       // a line in the file opened anew is to say why
  bool FolderSynced = false;   // the file's name is on disk, once a line had to be
  long LostLines = 0;          // lines not written since the last one written
  std::string FirstLostStamp;  // the time of the first of them
};
