#pragma once

// The text users read, run as it stands: the lines of a documentation block "```sh TAG".

#include <string>
#include <vector>

// The lines of the block "```sh TAG" of the file; empty when there is none.
std::vector<std::string> DocumentBlock(const std::string& path, const std::string& tag);
