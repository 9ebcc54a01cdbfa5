#include "platform/posix/counter_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

constexpr mode_t kPermissionBits = 07777;

bool Fail(std::string& error, const std::string& what) {
  error = what + ": " + std::strerror(errno);
  return false;
}

// For a step whose failure changes nothing that matters.
void IgnoreFailure(int) {}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

FileDescriptor LockCounter(const std::string& real, const struct stat& counter,
                           std::string& error) {
  const std::string path = real + ".lock";
  const mode_t bits = counter.st_mode & 0666;
  // Not through a symbolic link: the mode and group set below are for this file only.
  FileDescriptor lock(open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, bits));
  if (!lock.IsOpen()) {
    Fail(error, "cannot open " + path);
    return lock;
  }
  // Made under the umask, or by an older run: given the counter's group and bits where this
  // account may; where it may not, the file's owner has done so.
  struct stat held {};
  if (fstat(lock.Get(), &held) == 0) {
    if (held.st_gid != counter.st_gid)
      IgnoreFailure(fchown(lock.Get(), static_cast<uid_t>(-1), counter.st_gid));
    if ((held.st_mode & kPermissionBits) != bits) IgnoreFailure(fchmod(lock.Get(), bits));
  }
  int locked = 0;
  do {
    locked = flock(lock.Get(), LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    Fail(error, "cannot lock " + path);
    lock.Reset();
  }
  return lock;
}

void RemoveStaleReplacements(const std::string& real) {
  const std::string folder = FolderOf(real);
  const std::string prefix = real.substr(real.rfind('/') + 1) + ".tmp.";
  const std::unique_ptr<DIR, int (*)(DIR*)> entries(opendir(folder.c_str()), closedir);
  if (!entries) return;
  while (const dirent* entry = readdir(entries.get())) {
    const std::string name = entry->d_name;
    struct stat found {};
    const std::string path = folder + "/" + name;
    if (name.compare(0, prefix.size(), prefix) == 0 && lstat(path.c_str(), &found) == 0 &&
        S_ISREG(found.st_mode))
      unlink(path.c_str());
  }
}

bool ReplaceCounter(const std::string& real, const std::string& text, const struct stat& counter,
                    std::string& error) {
  const std::string temporary = real + ".tmp." + std::to_string(getpid());
  FileDescriptor out(
      open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!out.IsOpen()) return Fail(error, "cannot write " + temporary);
  const auto failed = [&](const std::string& what) {
    Fail(error, what);
    unlink(temporary.c_str());
    return false;
  };
  // Owner and group before the mode, since a change of owner clears the set-id bits. The owner
  // stays only where this account may give files away (root); the group must stay, or the
  // stations of other accounts in it would lose the counter.
  if (fchown(out.Get(), counter.st_uid, counter.st_gid) != 0 &&
      fchown(out.Get(), static_cast<uid_t>(-1), counter.st_gid) != 0)
    return failed("cannot give " + temporary + " the group of " + real + " (group id " +
                  std::to_string(counter.st_gid) + ")");
  if (fchmod(out.Get(), counter.st_mode & kPermissionBits) != 0)
    return failed("cannot give " + temporary + " the mode of " + real);
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = write(out.Get(), text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;
    if (n <= 0) return failed("cannot write " + temporary);
    written += static_cast<std::size_t>(n);
  }
  if (fsync(out.Get()) != 0) return failed("cannot write " + temporary);
  out.Reset();
  if (rename(temporary.c_str(), real.c_str()) != 0) return failed("cannot replace " + real);
  // The rename itself on disk, before any module is told the number.
  const FileDescriptor folder(open(FolderOf(real).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.IsOpen() || fsync(folder.Get()) != 0)
    return Fail(error, "cannot store the folder of " + real);
  return true;
}
