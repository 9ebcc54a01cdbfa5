#pragma once

#include <unistd.h>

#include <utility>

// Owns an open file descriptor and closes it, which also lets go of a flock(2) taken on it.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : Fd(fd) {}
  ~FileDescriptor() { Reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept : Fd(std::exchange(other.Fd, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      Reset();
      Fd = std::exchange(other.Fd, -1);
    }
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return Fd; }
  bool IsOpen() const { return Fd >= 0; }
  void Reset() {
    if (Fd >= 0) close(Fd);
    Fd = -1;
  }

 private:
  int Fd = -1;
};
