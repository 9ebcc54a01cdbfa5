#include "platform/qt/edit_input_filter.h"

#include <algorithm>

#include "platform/qt/windows1252.h"
#include "platform/validators.h"

QValidator::State EditInputFilter::validate(QString& input, int& position) const {
  if (!HoldsOnlyWindows1252(input)) return Invalid;
  // From here on every character is one byte.
  const qsizetype allowed = MaxBytes < 0 ? -1 : std::max(MaxBytes, Accepted.size());
  if (allowed >= 0 && input.size() > allowed) {
    // The cursor stands behind what was put in.
    const qsizetype excess = input.size() - allowed;
    if (excess > position) return Invalid;
    input.remove(position - excess, excess);
    position -= static_cast<int>(excess);
    if (input == Accepted) return Invalid;  // nothing of it fits: undone as a whole
  }
  if (Rule == nullptr) return Acceptable;
  const std::string bytes = ToWindows1252(input);
  if (!Rule->IsValidInput(bytes)) return Invalid;
  // Valid input that is not yet a valid value (300 in an octet): typed, checked later.
  return Rule->IsValid(bytes) ? Acceptable : Intermediate;
}
