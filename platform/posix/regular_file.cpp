#include "platform/posix/regular_file.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

std::string KindOfFile(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO (named pipe)";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISLNK(mode)) return "a symbolic link";
  return S_ISREG(mode) ? "a regular file" : "no regular file";
}

FileDescriptor OpenRegularForAppend(const std::string& path, mode_t mode, std::string& error) {
  const auto refuse = [&](mode_t kind) {
    error = "it is " + KindOfFile(kind) + ", not a regular file";
    return FileDescriptor();
  };
  struct stat named {};
  if (stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) return refuse(named.st_mode);
  // Something else may take the name between the look and the open: O_NONBLOCK keeps a FIFO
  // from blocking (with no reader it fails with ENXIO), and the open file is looked at again.
  FileDescriptor fd(
      open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode));
  if (!fd.IsOpen()) {
    error = errno == ENXIO ? "it is no regular file (a FIFO nobody reads, or a socket)"
                           : std::strerror(errno);
    return fd;
  }
  struct stat opened {};
  if (fstat(fd.Get(), &opened) != 0) {
    error = std::strerror(errno);
    return FileDescriptor();
  }
  if (!S_ISREG(opened.st_mode)) return refuse(opened.st_mode);
  return fd;
}
