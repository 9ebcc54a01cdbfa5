#pragma once

#include <optional>
#include <string_view>

// What became of a write, as the record keeps it. A row moves only forward: from Taken or
// Sending to one of the others; from Sent or NotConfirmed on to Confirmed or NotConfirmed.
enum class LineOutcome {
  Taken,         // a number was taken for the module; the request has not been sent
  Sending,       // the row is stored and the request is about to leave
  Sent,          // the request left
  Confirmed,     // the module answered with what was written
  NotConfirmed,  // it did not, in the time given
  NotSent,       // the request did not leave
  Refused,       // nothing was sent, for the reason in the row
  LabelOk,       // a label check: a module with the label's MAC answered
  LabelWrong,    // a label check: none did
};

// The outcome as the record writes it: "taken", "not confirmed", "label ok" ...
const char* OutcomeText(LineOutcome outcome);
std::optional<LineOutcome> OutcomeFromText(std::string_view text);
