#pragma once

// What vellora-cli's exit status says.
inline constexpr int kDone = 0;      // the command did what it was asked
inline constexpr int kNotDone = 1;   // not found, did not answer, or refused
inline constexpr int kBadUsage = 2;  // the command line is wrong
