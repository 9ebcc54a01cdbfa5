#pragma once

#include <QValidator>

class TValidator;

// What an edit accepts while the user types or pastes. A change is refused when it puts in a
// character that Windows-1252 cannot hold (it would reach the program, and a module, as '?'),
// or when the edit's validator refuses it as input; the edit then undoes the change, and text
// and selection stay as they were. A change that would make the text longer than the text
// limit (and longer than before, so a text the program set beyond the limit can still be
// shortened) keeps what fits: the end of what it put in is cut off, and a keystroke into a full
// field is refused.
class EditInputFilter : public QValidator {
 public:
  // The most bytes the user can type; negative for no limit.
  void SetMaxBytes(qsizetype maxBytes) { MaxBytes = maxBytes; }
  // Not owned; nullptr for none.
  void SetRule(const TValidator* rule) { Rule = rule; }
  // The text the edit holds now.
  void SetAcceptedText(const QString& text) { Accepted = text; }
  bool HasWork() const { return MaxBytes >= 0 || Rule != nullptr; }

  State validate(QString& input, int& position) const override;

 private:
  qsizetype MaxBytes = -1;
  const TValidator* Rule = nullptr;
  QString Accepted;
};
