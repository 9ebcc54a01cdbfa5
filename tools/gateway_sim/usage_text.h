#pragma once

// The name the simulator is built and installed under, which its messages start with.
inline constexpr char kProgramName[] = "vellora-gateway-sim";

// The simulator's --help text: its options, and the format of every line it prints.
extern const char kUsageText[];
