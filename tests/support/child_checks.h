#pragma once

// Assertions on what a child process or a component said, with the whole text on a failure.

#include <gtest/gtest.h>

#include <string>

#include "tests/support/child_run.h"

// The text holds `part`.
inline ::testing::AssertionResult Holds(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "without: " << part << "\nin:\n" << text;
}

// A child's end with `status`, its standard error holding `says`.
inline ::testing::AssertionResult Ended(const ChildResult& run, int status,
                                        const std::string& says = {}) {
  if (run.Status == status && run.Err.find(says) != std::string::npos)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "status " << run.Status << ", not " << status << "; standard error:\n"
         << run.Err << "\nwithout: " << says;
}
