#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/counter_file.h"

// The running serial number of a production line, kept in a file: the number the next module
// gets, in decimal, as the window's four serial edits hold it. Several stations may take
// numbers at once, also under other accounts of the counter's group: a lock file next to the
// real file (symbolic links followed, "REAL.lock") puts them in a row, and the real file is
// replaced by a rename, so that it is whole at every moment. The number is advanced (on disk)
// before the module is told it, so a crash can skip a number but never give one twice.
class SerialCounter final : public TCounterFile {
 public:
  explicit SerialCounter(std::string path) : Path(std::move(path)) {}

  const std::string& Name() const override { return Path; }
  // Refused, besides what TCounterFile says: a file that is no regular file, has more than one
  // hard link, or holds anything but a number (digits, then only blanks or tabs and a line
  // end; at most 32 bytes).
  bool Advance(const std::function<std::optional<std::uint64_t>(std::uint64_t)>& use,
               std::string& error) override;
  std::optional<std::uint64_t> Peek(std::string& error) const override;

 private:
  std::string Path;
};
