#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/posix/file_descriptor.h"

// What a file that is no regular file is, for a message: "a FIFO (named pipe)", "a socket", ...
std::string KindOfFile(mode_t mode);

// Whether two stat results describe the same file.
inline bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens `path` for appending, made with `mode` (less the umask) when missing. Only a regular
// file, or a symbolic link to one, is opened, and without blocking: a FIFO, socket or device
// is refused before it is opened (a FIFO nobody reads would block open(2), a device may act on
// being opened). Not open, with the reason in `error`, when refused or failed.
FileDescriptor OpenRegularForAppend(const std::string& path, mode_t mode, std::string& error);
