#include "platform/posix/append_file.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "protocol/windows1252.h"

std::unique_ptr<AppendFile> AppendFile::Open(const std::string& path, std::string& error) {
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<AppendFile>(new AppendFile(fd));
}

AppendFile::~AppendFile() {
  close(Fd);
}

std::string AppendFile::Now() {
  timeval now{};
  gettimeofday(&now, nullptr);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  char stamp[40];
  const std::size_t length = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
  const long offset = local.tm_gmtoff / 60;
  std::snprintf(stamp + length, sizeof stamp - length, ".%03ld%c%02ld:%02ld",
                static_cast<long>(now.tv_usec / 1000), offset < 0 ? '-' : '+',
                (offset < 0 ? -offset : offset) / 60, (offset < 0 ? -offset : offset) % 60);
  return stamp;
}

bool AppendFile::AppendLine(const std::string& text) {
  // A line of a module's text may hold any byte: none may break the record into more lines.
  std::string bytes;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      bytes += escape;
    } else {
      bytes.push_back(c);
    }
  }
  const std::string line = Now() + " " + Windows1252ToUtf8(bytes) + "\n";
  std::size_t written = 0;
  while (written < line.size()) {
    const ssize_t n = write(Fd, line.data() + written, line.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}
