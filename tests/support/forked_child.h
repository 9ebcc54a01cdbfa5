#pragma once

// Runs a piece of a test in forked processes: for what a process may do only to itself (a file
// size limit standing in for a full disk), for what could hang the test (opening a FIFO), and
// for several processes working on one file at once.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

struct ForkedResult {
  int Status = -1;     // the exit status; the signal's number, negated, when one ended it
  std::string Report;  // what the body appended to its report
};

// A child process running `body`, which reports what it saw by appending to its string. It is
// killed by SIGALRM when it outlives `boundSeconds`.
class ForkedChild {
 public:
  using Body = std::function<void(std::string& report)>;
  explicit ForkedChild(const Body& body, unsigned boundSeconds = 20)
      : ForkedChild(nullptr, body, boundSeconds) {}
  // Waits for the child's end unless Finish did.
  ~ForkedChild();
  ForkedChild(const ForkedChild&) = delete;
  ForkedChild& operator=(const ForkedChild&) = delete;

  pid_t Pid() const { return Id; }
  // Whether `event` came true, checked again and again while the child runs, within `boundMs`.
  bool WaitFor(const std::function<bool()>& event, int boundMs = 10000);
  // Waits for the child's end and yields its status and report.
  ForkedResult Finish();

 private:
  friend std::vector<ForkedResult> InForkedChildren(int,
                                                    const std::function<void(int, std::string&)>&,
                                                    unsigned);
  // With a gate, the child waits until the gate's write end is closed in every other process.
  ForkedChild(const int* gate, const Body& body, unsigned boundSeconds);

  pid_t Id = -1;
  int ReportFd = -1;  // the read end of the pipe the child writes its report to
  bool Finished = false;
};

// Runs `body` in a child process and waits for its end.
ForkedResult InForkedChild(const ForkedChild::Body& body, unsigned boundSeconds = 20);

// Runs `count` children at once, each with its index; none starts its body before all of them
// exist, so that they overlap as much as they can.
std::vector<ForkedResult> InForkedChildren(
    int count, const std::function<void(int index, std::string& report)>& body,
    unsigned boundSeconds = 60);
