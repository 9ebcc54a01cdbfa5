#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/posix/file_descriptor.h"

// The files around a serial-number file (its real path, after symbolic links): "REAL.lock", which
// puts the stations in a row, and "REAL.tmp.PID", the new text before it replaces the counter.

// Opens (making it when missing) and locks the lock file, with the counter's permission bits
// and group, whatever the umask, so that stations under other accounts of that group can take
// it too. Not open, with the reason in `error`, when it cannot be opened or locked.
FileDescriptor LockCounter(const std::string& real, const struct stat& counter, std::string& error);

// Removes the "REAL.tmp.*" files that a run killed before its rename left behind. Only under
// the lock: then no other run is writing one.
void RemoveStaleReplacements(const std::string& real);

// Replaces the counter with `text`: written to "REAL.tmp.PID" with the counter's owner (where
// permitted), group and mode, synced, renamed over REAL, and the folder synced, so that the new
// text is on disk when this returns true. False, with the reason in `error`, when any step
// fails; the counter is then as it was, unless only the folder's sync failed.
bool ReplaceCounter(const std::string& real, const std::string& text, const struct stat& counter,
                    std::string& error);
