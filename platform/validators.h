#pragma once

#include <bitset>
#include <string>

// Input validators owned by edit fields. While the user types, the window system asks
// IsValidInput for the text the keystroke would leave, and undoes the keystroke when it is
// refused. IsValid checks a whole field, as the dialog does before it closes.

class TCharSet {
 public:
  TCharSet() = default;
  // Every character of the text stands for itself; there are no ranges.
  explicit TCharSet(const char* characters);
  bool Has(unsigned char c) const { return Set[c]; }

 private:
  std::bitset<256> Set;
};

class TValidator {
 public:
  virtual ~TValidator() = default;
  virtual bool IsValidInput(const std::string& text) const = 0;
  virtual bool IsValid(const std::string& text) const = 0;
  // The text shown when a whole field fails IsValid.
  virtual std::string ErrorText() const = 0;
};

class TFilterValidator : public TValidator {
 public:
  explicit TFilterValidator(const TCharSet& validChars) : ValidChars(validChars) {}
  bool IsValidInput(const std::string& text) const override;
  bool IsValid(const std::string& text) const override { return IsValidInput(text); }
  std::string ErrorText() const override;

 protected:
  TCharSet ValidChars;
};

// Takes decimal digits while typing; a whole field must hold a number within both bounds
// (an empty field counts as 0).
class TRangeValidator : public TFilterValidator {
 public:
  TRangeValidator(long min, long max);
  bool IsValid(const std::string& text) const override;
  std::string ErrorText() const override;
  long GetMin() const { return Min; }
  long GetMax() const { return Max; }

 private:
  long Min, Max;
};
