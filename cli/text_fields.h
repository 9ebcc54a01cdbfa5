#pragma once

#include <string>
#include <vector>

// What vellora-cli prints for scripts: fields as one line of key=value pairs, or as one JSON
// object. Numbers stand bare everywhere; words (a MAC, an address) are quoted only in JSON;
// texts are quoted in both, with every control character escaped, so that nothing a module or
// a row holds can steer the terminal.
enum class FieldKind { Number, Word, Text };
struct TextField {
  const char* Key;
  std::string Value;
  FieldKind Is;
  bool Missing = false;  // JSON null; an empty value in the line
};

// A UTF-8 text as a JSON string (which a shell line reads as well), escaping also DEL and the
// C1 controls (U+0080 to U+009F, C2 80 to C2 9F in UTF-8), which could steer a terminal as ESC
// could.
std::string Quoted(const std::string& text);
std::string FieldsLine(const std::vector<TextField>& fields);
std::string FieldsJson(const std::vector<TextField>& fields);
