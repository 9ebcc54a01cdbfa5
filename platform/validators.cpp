#include "platform/validators.h"

#include <cstdio>

TCharSet::TCharSet(const char* characters) {
  for (const char* p = characters; p != nullptr && *p != 0; ++p)
    Set.set(static_cast<unsigned char>(*p));
}

bool TFilterValidator::IsValidInput(const std::string& text) const {
  for (char c : text) {
    if (!ValidChars.Has(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::string TFilterValidator::ErrorText() const {
  return "Invalid character in input";
}

TRangeValidator::TRangeValidator(long min, long max)
    : TFilterValidator(TCharSet("0123456789")), Min(min), Max(max) {}

bool TRangeValidator::IsValid(const std::string& text) const {
  if (!IsValidInput(text)) return false;
  // Digits only, so the value cannot be negative; stop adding once it is beyond any bound.
  long value = 0;
  for (char c : text) {
    value = value * 10 + (c - '0');
    if (value > Max) return false;
  }
  return value >= Min && value <= Max;
}

std::string TRangeValidator::ErrorText() const {
  char text[80];
  std::snprintf(text, sizeof text, "Value is not in the range %ld to %ld.", Min, Max);
  return text;
}
