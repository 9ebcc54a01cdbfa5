#include "platform/posix/serial_counter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/posix/counter_files.h"
#include "platform/posix/counter_text.h"
#include "platform/posix/regular_file.h"

namespace {

bool Fail(std::string& error, const std::string& what) {
  error = what + ": " + std::strerror(errno);
  return false;
}

// One regular file under one name: a rename replaces one name only, and leaves the old number
// under the others.
bool Usable(const std::string& name, const struct stat& counter, std::string& error) {
  if (!S_ISREG(counter.st_mode)) {
    error = name + " is " + KindOfFile(counter.st_mode) + ", not a file with a serial number";
    return false;
  }
  if (counter.st_nlink > 1) {
    error = name + " has " + std::to_string(counter.st_nlink) +
            " hard links: replacing it would leave the old number under the other names, and "
            "a station that takes it there would give a number again. Keep one name (symbolic "
            "links to it are fine)";
    return false;
  }
  return true;
}

// The counter's real path, its name for messages and its state, looked at before anything is
// opened: the lock and the replacement belong to the real file, since through a symbolic link a
// rename would replace the link and leave the real counter where it was.
bool Locate(const std::string& path, std::string& real, std::string& name, struct stat& counter,
            std::string& error) {
  const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.c_str(), nullptr),
                                                             &std::free);
  if (!resolved) return Fail(error, "cannot read " + path);
  real = resolved.get();
  name = real == path ? path : path + " (" + real + ")";
  if (stat(real.c_str(), &counter) != 0) return Fail(error, "cannot read " + name);
  return Usable(name, counter, error);
}

// The number the real file holds, read whole; `counter` becomes the state of the file read.
std::optional<std::uint64_t> ReadNumber(const std::string& real, const std::string& name,
                                        struct stat& counter, std::string& error) {
  // Opened without blocking, so that a FIFO in its place is refused rather than waited on.
  const FileDescriptor in(open(real.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!in.IsOpen() || fstat(in.Get(), &counter) != 0) {
    Fail(error, "cannot read " + name);
    return std::nullopt;
  }
  if (!Usable(name, counter, error)) return std::nullopt;
  // One byte more than a counter may hold tells a longer file from a full one.
  char text[kCounterTextLimit + 1];
  std::size_t got = 0;
  while (got < sizeof text) {
    const ssize_t n = read(in.Get(), text + got, sizeof text - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      Fail(error, "cannot read " + name);
      return std::nullopt;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  std::string why;
  const std::optional<std::uint64_t> number = ReadCounterText({text, got}, why);
  if (!number) error = name + " " + why;
  return number;
}

}  // namespace

bool SerialCounter::Advance(const std::function<std::optional<std::uint64_t>(std::uint64_t)>& use,
                            std::string& error) {
  std::string real, name;
  struct stat counter {};
  // Looked at before a lock file is made beside it, and again once the file is open.
  if (!Locate(Path, real, name, counter, error)) return false;
  const FileDescriptor lock = LockCounter(real, counter, error);
  if (!lock.IsOpen()) return false;
  RemoveStaleReplacements(real);
  const std::optional<std::uint64_t> current = ReadNumber(real, name, counter, error);
  if (!current) return false;

  const std::optional<std::uint64_t> next = use(*current);
  if (!next) return true;
  return ReplaceCounter(real, std::to_string(*next) + "\n", counter, error);
}

std::optional<std::uint64_t> SerialCounter::Peek(std::string& error) const {
  // Without the lock: the file is replaced whole by a rename, so any read sees one number.
  std::string real, name;
  struct stat counter {};
  if (!Locate(Path, real, name, counter, error)) return std::nullopt;
  return ReadNumber(real, name, counter, error);
}
