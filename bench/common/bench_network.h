#pragma once

// The two network namespaces of a benchmark run, joined by a veth pair:
//
//   <prefix>pc-<pid>   vbp 10.77.0.1/24   <-->   vbg 10.77.0.2/24 (+ extra)   <prefix>gw-<pid>
//
// The program runs in the first, its peers in the second; nothing they send can reach the
// machine's real interfaces. Everything goes with the object, or when the run is interrupted.

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/netns.h"

struct BenchNetwork {
  static constexpr const char* kPcInterface = "vbp";
  static constexpr const char* kGwInterface = "vbg";
  static constexpr const char* kPcAddress = "10.77.0.1";
  static constexpr const char* kGwAddress = "10.77.0.2";

  // extraGwAddresses: more addresses of the peers' side, in 10.77.0.0/24.
  BenchNetwork(const std::string& prefix, const std::vector<std::string>& extraGwAddresses)
      : Pc(Lab.Add(prefix + "pc-")), Gw(Lab.Add(prefix + "gw-")) {
    Lab.Link(Pc, kPcInterface, Gw, kGwInterface);
    Lab.Address(Pc, kPcInterface, std::string(kPcAddress) + "/24");
    Lab.Address(Gw, kGwInterface, std::string(kGwAddress) + "/24");
    for (const std::string& address : extraGwAddresses)
      Lab.Address(Gw, kGwInterface, address + "/24", false);
  }
  bool Ready() const { return Lab.Ready(); }

  // Whether this run can make namespaces; when not, says so for the benchmark named.
  static bool Possible(const char* benchmark) {
    if (CanMakeNamespaces()) return true;
    std::printf(
        "%s: skipped: needs root and iproute2 to make network namespaces (the program "
        "broadcasts and may only run inside them)\n",
        benchmark);
    return false;
  }

  NamespaceLab Lab;
  const std::string Pc, Gw;
};
