#pragma once

// The text users read, run as it stands: the lines of a documentation block "```LANGUAGE TAG".

#include <string>
#include <vector>

// The lines of the block "```LANGUAGE TAG" of the file; empty when there is none.
std::vector<std::string> DocumentBlock(const std::string& path, const std::string& tag,
                                       const std::string& language = "sh");
