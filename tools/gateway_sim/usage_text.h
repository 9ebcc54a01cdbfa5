#pragma once

// The simulator's --help text: its options, and the format of every line it prints.
extern const char kUsageText[];
