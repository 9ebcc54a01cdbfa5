#include "tests/support/readme_block.h"

#include <fstream>

std::vector<std::string> DocumentBlock(const std::string& path, const std::string& tag,
                                       const std::string& language) {
  std::ifstream document(path);
  std::vector<std::string> lines;
  bool inside = false;
  for (std::string line; std::getline(document, line);) {
    if (!inside) {
      inside = line == "```" + language + " " + tag;
      continue;
    }
    if (line.starts_with("```")) break;
    lines.push_back(line);
  }
  return lines;
}
