#include "line/line_host_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cstring>
#include <thread>
#include <vector>

#include "line/libpq_library.h"

namespace {

struct Hosts {
  std::vector<std::string> Names, Ports;
  bool Needed = false;
};

std::vector<std::string> Split(const char* text) {
  std::vector<std::string> parts;
  if (!text || !*text) return parts;
  std::string part;
  for (const char* c = text;; ++c) {
    if (*c == ',' || *c == '\0') {
      parts.push_back(part);
      part.clear();
      if (*c == '\0') break;
    } else {
      part += *c;
    }
  }
  return parts;
}

std::string Join(const std::vector<std::string>& parts) {
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i)
    text += (i ? "," : "") + parts[i];
  return text;
}

// A Unix socket folder, an abstract socket, nothing (libpq's default socket) or a numeric
// address: libpq looks none of them up.
bool IsName(const std::string& host) {
  if (host.empty() || host[0] == '/' || host[0] == '@') return false;
  unsigned char address[sizeof(in6_addr)];
  return inet_pton(AF_INET, host.c_str(), address) != 1 &&
         inet_pton(AF_INET6, host.c_str(), address) != 1;
}

const char* ValueOf(const PQconninfoOption* options, const char* key) {
  for (const PQconninfoOption* option = options; option && option->keyword; ++option) {
    if (std::strcmp(option->keyword, key) == 0) return option->val;
  }
  return nullptr;
}

Hosts HostsOf(const std::string& conninfo) {
  Hosts hosts;
  std::string why;
  const LibPq* pq = LibPqFunctions(why);
  if (!pq) return hosts;
  PQconninfoOption* parsed = pq->ConninfoParse(conninfo.c_str(), nullptr);
  if (!parsed) return hosts;
  const char* hostaddr = ValueOf(parsed, "hostaddr");
  const char* service = ValueOf(parsed, "service");
  const char* host = ValueOf(parsed, "host");
  const char* port = ValueOf(parsed, "port");
  PQconninfoOption* defaults = nullptr;
  if (!host || !*host) {
    defaults = pq->Conndefaults();  // PGHOST and PGPORT
    host = ValueOf(defaults, "host");
    if (!port || !*port) port = ValueOf(defaults, "port");
  }
  if (!(hostaddr && *hostaddr) && !(service && *service)) {
    hosts.Names = Split(host);
    hosts.Ports = Split(port);
    for (const std::string& name : hosts.Names)
      hosts.Needed = hosts.Needed || IsName(name);
  }
  pq->ConninfoFree(parsed);
  if (defaults) pq->ConninfoFree(defaults);
  return hosts;
}

// Runs on the look-up's thread.
LineHostLookup::Found LookUp(const Hosts& hosts) {
  LineHostLookup::Found found;
  std::vector<std::string> names, addresses, ports;
  for (std::size_t i = 0; i < hosts.Names.size(); ++i) {
    const std::string& name = hosts.Names[i];
    const std::string port = hosts.Ports.size() == hosts.Names.size() ? hosts.Ports[i]
                             : hosts.Ports.size() == 1                ? hosts.Ports[0]
                                                                      : std::string();
    if (!IsName(name)) {
      names.push_back(name);
      addresses.emplace_back();
      ports.push_back(port);
      continue;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (const int error = getaddrinfo(name.c_str(), nullptr, &hints, &list); error != 0) {
      found.Error = "cannot find the address of " + name + ": " + gai_strerror(error);
      continue;
    }
    for (const addrinfo* entry = list; entry; entry = entry->ai_next) {
      char text[INET6_ADDRSTRLEN] = {};
      const void* address =
          entry->ai_family == AF_INET
              ? static_cast<const void*>(&reinterpret_cast<sockaddr_in*>(entry->ai_addr)->sin_addr)
              : static_cast<const void*>(
                    &reinterpret_cast<sockaddr_in6*>(entry->ai_addr)->sin6_addr);
      if (!inet_ntop(entry->ai_family, address, text, sizeof text)) continue;
      names.push_back(name);
      addresses.emplace_back(text);
      ports.push_back(port);
    }
    freeaddrinfo(list);
  }
  if (names.empty()) return found;  // Error says why
  found.Error.clear();
  found.Host = Join(names);
  found.HostAddr = Join(addresses);
  bool anyPort = false;
  for (const std::string& port : ports)
    anyPort = anyPort || !port.empty();
  if (anyPort) found.Port = Join(ports);
  return found;
}

}  // namespace

LineHostLookup::LineHostLookup(TEventLoop& loop) : Mail(std::make_shared<Mailbox>()) {
  Mail->Loop = &loop;
}

LineHostLookup::~LineHostLookup() {
  const std::lock_guard<std::mutex> lock(Mail->Lock);
  Mail->Loop = nullptr;
}

bool LineHostLookup::Needed(const std::string& conninfo) {
  return HostsOf(conninfo).Needed;
}

void LineHostLookup::Start(const std::string& conninfo, Done done) {
  Current = std::make_shared<Done>(std::move(done));
  std::thread([hosts = HostsOf(conninfo), mail = Mail, wanted = std::weak_ptr<Done>(Current)] {
    Found found = LookUp(hosts);
    const std::lock_guard<std::mutex> lock(mail->Lock);
    if (!mail->Loop) return;
    mail->Loop->Post([found = std::move(found), wanted] {
      if (const std::shared_ptr<Done> call = wanted.lock()) (*call)(found);
    });
  }).detach();
}
