#include "platform/posix/append_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/record_line.h"
#include "platform/posix/regular_file.h"
#include "platform/posix/whole_append.h"

namespace {

constexpr mode_t kNewRecordMode = 0644;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::unique_ptr<AppendFile> AppendFile::Open(const std::string& path, std::string& error) {
  FileDescriptor fd = OpenRegularForAppend(path, kNewRecordMode, error);
  if (!fd.IsOpen()) return nullptr;
  // Every line is written under flock(2): a file system without it is refused now, not by
  // losing every line later. Another writer's turn (EWOULDBLOCK) shows that it works.
  if (flock(fd.Get(), LOCK_SH | LOCK_NB) != 0 && errno != EWOULDBLOCK) {
    error = std::string("cannot lock it: ") + std::strerror(errno);
    return nullptr;
  }
  flock(fd.Get(), LOCK_UN);
  return std::unique_ptr<AppendFile>(new AppendFile(path, std::move(fd)));
}

AppendFile::AppendFile(std::string path, FileDescriptor fd)
    : Path(std::move(path)),
      Writer(std::string(program_invocation_short_name) + "[" + std::to_string(getpid()) + "]"),
      Fd(std::move(fd)) {}

std::string AppendFile::Now() {
  return LocalTimeStamp();
}

bool AppendFile::Store(const std::string& text, Durability durability, std::string& error) {
  const std::string stamp = LocalTimeStamp();
  if (!FollowPath(error)) return Lose(stamp);
  // The notes and the line go in one piece, so that a note never stands without its line.
  std::string piece;
  if (Reopened) {
    piece += RecordLine(stamp, Writer + ": the record " + Path +
                                   " was deleted or moved away while open; this is a new file");
  }
  if (LostLines > 0) {
    piece += RecordLine(stamp, Writer + ": " + std::to_string(LostLines) +
                                   (LostLines == 1 ? " line" : " lines") +
                                   " could not be written to the record from " + FirstLostStamp +
                                   " on, and are missing");
  }
  piece += RecordLine(stamp, text);
  if (!AppendWhole(Fd.Get(), piece, error)) return Lose(stamp);
  Reopened = false;
  LostLines = 0;
  if (durability == Durability::Written) return true;

  // A file just made is kept only once its folder holds its name on disk too.
  if (!FolderSynced) {
    const FileDescriptor folder(open(FolderOf(Path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.IsOpen() || fsync(folder.Get()) != 0) {
      error = std::string("cannot store the record's folder: ") + std::strerror(errno);
      return false;
    }
    FolderSynced = true;
  }
  if (fdatasync(Fd.Get()) != 0) {
    error = std::strerror(errno);
    return false;
  }
  return true;
}

bool AppendFile::FollowPath(std::string& error) {
  struct stat held {};
  struct stat named {};
  if (Fd.IsOpen() && fstat(Fd.Get(), &held) == 0) {
    // The path is looked at for each line: a record rotated away (renamed) still has links.
    if (stat(Path.c_str(), &named) == 0 ? SameFile(held, named) : errno != ENOENT) return true;
  }
  Fd = OpenRegularForAppend(Path, kNewRecordMode, error);
  if (!Fd.IsOpen()) {
    error = "cannot open " + Path + " anew: " + error;
    return false;
  }
  Reopened = true;
  FolderSynced = false;
  return true;
}

bool AppendFile::Lose(const std::string& stamp) {
  if (LostLines++ == 0) FirstLostStamp = stamp;
  return false;
}
