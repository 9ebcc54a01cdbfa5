#pragma once

#include <string>
#include <string_view>

// Appends `bytes` to the file open for appending on `fd`, all of them or none: after a partial
// write (a full disk, a file size limit) the file is cut back to where they began. Writers of
// one file that all append through this take turns by flock(2), so that cutting back never
// takes another writer's line. False, with the reason in `error`, when not written.
bool AppendWhole(int fd, std::string_view bytes, std::string& error);
