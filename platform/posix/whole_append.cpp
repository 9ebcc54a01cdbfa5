#include "platform/posix/whole_append.h"

#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Holds the exclusive flock(2) of a file while it lives.
class FileTurn {
 public:
  explicit FileTurn(int fd) : Fd(fd) {
    int result = 0;
    do {
      result = flock(Fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    Held = result == 0;
  }
  ~FileTurn() {
    if (Held) flock(Fd, LOCK_UN);
  }
  FileTurn(const FileTurn&) = delete;
  FileTurn& operator=(const FileTurn&) = delete;
  bool Held = false;

 private:
  int Fd;
};

}  // namespace

bool AppendWhole(int fd, std::string_view bytes, std::string& error) {
  const FileTurn turn(fd);
  if (!turn.Held) {
    error = std::string("cannot lock the file: ") + std::strerror(errno);
    return false;
  }
  // Under the lock the end stays where it is until this writer has written.
  const off_t start = lseek(fd, 0, SEEK_END);
  if (start < 0) {
    error = std::strerror(errno);
    return false;
  }
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A regular file takes at least one byte unless something stops it; 0 means no room.
      error = std::strerror(n == 0 ? ENOSPC : errno);
      if (written > 0 && ftruncate(fd, start) != 0)
        error += std::string("; the part written could not be cut off: ") + std::strerror(errno);
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}
