#pragma once

// Two network namespaces for one benchmark run, joined by a veth pair:
//
//   <prefix>pc-<pid>   vbp 10.77.0.1/24   <-->   vbg 10.77.0.2/24 (+ extra)   <prefix>gw-<pid>
//
// The program runs in the first, its peers in the second; nothing they send can reach the
// machine's real interfaces. Namespaces of the same benchmark left by a killed run are removed
// first. The namespaces go when the object goes, and also when the process is ended by SIGINT,
// SIGTERM or SIGHUP (child processes registered with WatchChild are killed then too).

#include <sys/types.h>

#include <string>
#include <vector>

class BenchNamespaces {
 public:
  static constexpr const char* kPcInterface = "vbp";
  static constexpr const char* kGwInterface = "vbg";
  static constexpr const char* kPcAddress = "10.77.0.1";
  static constexpr const char* kGwAddress = "10.77.0.2";

  // extraGwAddresses: more addresses of the gateway side, in 10.77.0.0/24.
  BenchNamespaces(const std::string& prefix, const std::vector<std::string>& extraGwAddresses);
  ~BenchNamespaces();
  BenchNamespaces(const BenchNamespaces&) = delete;
  BenchNamespaces& operator=(const BenchNamespaces&) = delete;

  bool Ready() const { return Made; }
  const std::string& Pc() const { return PcName; }
  const std::string& Gw() const { return GwName; }

  // A child process that lives in a namespace and must be killed before they are removed.
  static void WatchChild(pid_t pid);
  static void ForgetChild(pid_t pid);

 private:
  void Remove();

  std::string PcName, GwName;
  bool Made = false;
};
