#pragma once

// Network namespaces for end-to-end tests and benchmarks: they make their own, join them with
// veth pairs, run code or processes inside them and remove them again. Names carry the
// process id, so parallel runs never meet, and ones left by a killed run can be found.

#include <sys/types.h>

#include <string>
#include <vector>

// Runs a shell command with its output dropped; true when it exits with 0.
bool Shell(const std::string& command);

// Root and iproute2 are there.
bool CanMakeNamespaces();

// The namespaces of one test suite or benchmark run. Each step says whether it worked, and
// Ready() whether every one did. Everything made is removed when the lab goes, and also when
// the process is ended by SIGINT, SIGTERM or SIGHUP; child processes given to WatchChild are
// killed first then.
class NamespaceLab {
 public:
  NamespaceLab() = default;
  ~NamespaceLab();
  NamespaceLab(const NamespaceLab&) = delete;
  NamespaceLab& operator=(const NamespaceLab&) = delete;

  // A namespace named prefix + this process's id, its loopback up; ones of the same prefix
  // whose process is gone are removed first.
  std::string Add(const std::string& prefix);
  // A veth pair from interface `a` in namespace `aSpace` to `b` in `bSpace`, both ends up.
  bool Link(const std::string& aSpace, const std::string& a, const std::string& bSpace,
            const std::string& b);
  // An address ("10.1.2.3/24") on an interface; with its broadcast attribute unless told not,
  // and with a label when one is given.
  bool Address(const std::string& space, const std::string& interface, const std::string& cidr,
               bool broadcast = true, const std::string& label = {});
  bool Ready() const { return Ok; }
  // Removes everything now.
  void Remove();

  static void WatchChild(pid_t pid);
  static void ForgetChild(pid_t pid);

 private:
  bool Step(bool done);

  std::vector<std::string> Names;
  bool Ok = true;
};

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
