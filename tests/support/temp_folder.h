#pragma once

// A folder of its own for a test that works with real files, removed with everything in it.

#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return Folder; }
  // The path of `name` inside the folder.
  std::string operator/(const std::string& name) const { return Folder + "/" + name; }

 private:
  std::string Folder;
};

// The whole file's bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Replaces the file's bytes (made with the umask's mode when missing).
void WriteFileBytes(const std::string& path, const std::string& bytes);
