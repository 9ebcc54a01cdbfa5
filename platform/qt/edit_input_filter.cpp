#include "platform/qt/edit_input_filter.h"

#include "platform/qt/windows1252.h"
#include "platform/validators.h"

QValidator::State EditInputFilter::validate(QString& input, int&) const {
  const std::string bytes = ToWindows1252(input);
  const auto length = static_cast<qsizetype>(bytes.size());
  if (MaxBytes >= 0 && length > MaxBytes && length > AcceptedLength) return Invalid;
  if (Rule == nullptr) return Acceptable;
  if (!Rule->IsValidInput(bytes)) return Invalid;
  // Valid input that is not yet a valid value (300 in an octet): typed, checked later.
  return Rule->IsValid(bytes) ? Acceptable : Intermediate;
}
