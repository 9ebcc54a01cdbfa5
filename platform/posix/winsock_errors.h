#pragma once

#include <string>

// The program speaks in WinSock error numbers (10035 would block, 10061 refused, ...); the
// system reports errno values. One table joins the two and gives each number its reason text.

// Errno values that have no WinSock counterpart are reported as this base plus the errno
// value, so that the reason text can still name the system's error.
inline constexpr int kUnmappedErrnoBase = 20000;

// The WinSock number for an errno value (0 for 0).
int WinSockErrorFromErrno(int errnoValue);

// The reason text for a WinSock number, as GetReasonString gives it.
std::string WinSockReasonText(int error);
