#pragma once

#include <QValidator>

class TValidator;

// What an edit accepts while the user types or pastes: a change is refused when its text,
// in Windows-1252 bytes, would be longer than the text limit (and longer than before, so a
// text the program set beyond the limit can still be shortened), or when the edit's validator
// refuses it as input. The edit then undoes the change: text and selection stay as they were.
class EditInputFilter : public QValidator {
 public:
  // The most bytes the user can type; negative for no limit.
  void SetMaxBytes(qsizetype maxBytes) { MaxBytes = maxBytes; }
  // Not owned; nullptr for none.
  void SetRule(const TValidator* rule) { Rule = rule; }
  // The length of the text the edit holds now, in bytes.
  void SetAcceptedLength(qsizetype length) { AcceptedLength = length; }
  bool HasWork() const { return MaxBytes >= 0 || Rule != nullptr; }

  State validate(QString& input, int& position) const override;

 private:
  qsizetype MaxBytes = -1;
  const TValidator* Rule = nullptr;
  qsizetype AcceptedLength = 0;
};
