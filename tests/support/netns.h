#pragma once

// Network namespaces for end-to-end tests: the tests make their own, join them with veth pairs,
// run code or processes inside them and remove them again. Names carry the test's process id,
// so parallel runs never meet, and ones left by a killed run can be found and removed.

#include <cstdint>
#include <initializer_list>
#include <string>

// Runs a shell command with its output dropped; true when it exits with 0.
bool Shell(const std::string& command);

// Root and iproute2 are there.
bool CanMakeNamespaces();

// prefix + this process's id.
std::string TestNamespaceName(const char* prefix);

// Removes namespaces with one of the prefixes whose process is gone.
void RemoveStaleNamespaces(std::initializer_list<const char*> prefixes);

// Runs the calling thread inside a named network namespace for the scope's life.
class InNamespace {
 public:
  explicit InNamespace(const std::string& name);
  ~InNamespace();
  InNamespace(const InNamespace&) = delete;
  InNamespace& operator=(const InNamespace&) = delete;
  bool Entered = false;

 private:
  int Original = -1;
};

// The identity of the namespace a socket lives in, and of a named namespace: a test checks
// with them that a socket about to broadcast is inside a test namespace.
std::uint64_t NamespaceCookie(int fd);
std::uint64_t CookieOfNamespace(const std::string& name);
