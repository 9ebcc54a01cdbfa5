#include "cli/serial_counter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "protocol/text_values.h"

namespace {

// Closes the descriptor, which also lets go of a lock on it.
struct Descriptor {
  explicit Descriptor(int fd) : Fd(fd) {}
  ~Descriptor() {
    if (Fd >= 0) close(Fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Fd;
};

bool Fail(std::string& error, const std::string& what) {
  error = what + ": " + std::strerror(errno);
  return false;
}

std::string Folder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool SerialCounter::Advance(const std::function<std::optional<std::uint64_t>(std::uint64_t)>& use,
                            std::string& error) {
  const Descriptor lock(open((Path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (lock.Fd < 0) return Fail(error, "cannot open " + Path + ".lock");
  while (flock(lock.Fd, LOCK_EX) != 0) {
    if (errno != EINTR) return Fail(error, "cannot lock " + Path + ".lock");
  }

  const Descriptor in(open(Path.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.Fd < 0) return Fail(error, "cannot read " + Path);
  char text[32] = {};
  const ssize_t got = read(in.Fd, text, sizeof text - 1);
  if (got < 0) return Fail(error, "cannot read " + Path);
  std::string_view number(text, static_cast<std::size_t>(got));
  while (!number.empty() && (number.back() == '\n' || number.back() == ' '))
    number.remove_suffix(1);
  const std::optional<std::uint64_t> current = ParseNumber<std::uint64_t>(number);
  if (!current) {
    error = Path + " holds no serial number (one decimal number, the next module's)";
    return false;
  }

  const std::optional<std::uint64_t> next = use(*current);
  if (!next) return true;
  const std::string written = std::to_string(*next) + "\n";
  const std::string temporary = Path + ".tmp." + std::to_string(getpid());
  {
    const Descriptor out(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.Fd < 0) return Fail(error, "cannot write " + temporary);
    if (write(out.Fd, written.data(), written.size()) != static_cast<ssize_t>(written.size()) ||
        fsync(out.Fd) != 0) {
      unlink(temporary.c_str());
      return Fail(error, "cannot write " + temporary);
    }
  }
  if (rename(temporary.c_str(), Path.c_str()) != 0) {
    unlink(temporary.c_str());
    return Fail(error, "cannot replace " + Path);
  }
  // The rename itself on disk, before any module is told the number.
  const Descriptor folder(open(Folder(Path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Fd >= 0) fsync(folder.Fd);
  return true;
}
