#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The running serial number of a production line kept in a file that several stations share:
// the number the next module gets. Taking a number and writing the next one back is one step
// under the file's lock, so two stations never get the same number.
class TCounterFile {
 public:
  virtual ~TCounterFile() = default;

  // The file as messages name it.
  virtual const std::string& Name() const = 0;
  // Under the lock: hands the number to `use`, which yields the number to write back, or
  // nothing to leave the file as it is. False, with the reason in `error`, when the file cannot
  // be read or replaced; `use` was not called then, or its number was not stored and must not
  // be given.
  virtual bool Advance(const std::function<std::optional<std::uint64_t>(std::uint64_t)>& use,
                       std::string& error) = 0;
  // The number the file holds now, for display only (another station may take it first);
  // nothing, with the reason in `error`, when it holds none.
  virtual std::optional<std::uint64_t> Peek(std::string& error) const = 0;
};
