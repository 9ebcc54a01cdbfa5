#include "line/line_server_text.h"

#include <cstring>
#include <memory>

#include "line/libpq_library.h"

namespace {

// The keys a message shows, in their order.
constexpr const char* kShownKeys[] = {"service", "host", "hostaddr", "port", "dbname", "user"};

struct OptionsFree {
  const LibPq* Pq;
  void operator()(PQconninfoOption* options) const { Pq->ConninfoFree(options); }
};
using Options = std::unique_ptr<PQconninfoOption, OptionsFree>;

const char* ValueOf(const PQconninfoOption* options, const char* key) {
  for (const PQconninfoOption* option = options; option && option->keyword; ++option) {
    if (std::strcmp(option->keyword, key) == 0) return option->val;
  }
  return nullptr;
}

bool Given(const char* value) {
  return value && *value;
}

// libpq's reason for a text it cannot read quotes pieces of the text, which may be a
// password; those pieces are left out.
std::string WithoutQuotedText(const std::string& reason) {
  std::string text;
  bool quoted = false;
  for (const char c : reason) {
    if (c == '"') {
      text += quoted ? "\"" : "\"...";
      quoted = !quoted;
    } else if (!quoted) {
      text += c;
    }
  }
  return text;
}

}  // namespace

LineServerText DescribeConninfo(const std::string& conninfo) {
  LineServerText described;
  const LibPq* pq = LibPqFunctions(described.Error);
  if (!pq) return described;
  char* error = nullptr;
  const Options parsed(pq->ConninfoParse(conninfo.c_str(), &error), OptionsFree{pq});
  if (!parsed) {
    described.Error = error ? MaskSecrets(WithoutQuotedText(error), {})
                            : std::string("libpq could not read it (out of memory)");
    pq->Freemem(error);
    return described;
  }
  const Options defaults(pq->Conndefaults(), OptionsFree{pq});
  if (const char* password = ValueOf(parsed.get(), "password"); Given(password)) {
    described.HasPassword = true;
    described.Secrets.emplace_back(password);
  }
  if (const char* password = ValueOf(defaults.get(), "password"); Given(password))
    described.Secrets.emplace_back(password);
  for (const char* key : kShownKeys) {
    const char* value = ValueOf(parsed.get(), key);
    // A service file names its own server; libpq's defaults would only mislead then.
    if (!Given(value) && !Given(ValueOf(parsed.get(), "service")) &&
        std::strcmp(key, "hostaddr") != 0)
      value = ValueOf(defaults.get(), key);
    if (!Given(value)) continue;
    described.Name += (described.Name.empty() ? "" : " ") + std::string(key) + "=" + value;
  }
  described.Name = MaskSecrets(described.Name, described.Secrets);
  if (described.Name.empty()) described.Name = "(libpq's default server)";
  return described;
}

std::string MaskSecrets(std::string text, const std::vector<std::string>& secrets) {
  for (const std::string& secret : secrets) {
    if (secret.empty()) continue;
    for (std::size_t at = text.find(secret); at != std::string::npos;
         at = text.find(secret, at + 4))
      text.replace(at, secret.size(), "****");
  }
  std::string line;
  for (const char c : text) {
    const bool blank = c == '\n' || c == '\r' || c == '\t' || c == ' ';
    if (blank) {
      if (!line.empty() && line.back() != ' ') line += ' ';
    } else {
      line += c;
    }
  }
  while (!line.empty() && line.back() == ' ')
    line.pop_back();
  return line;
}
