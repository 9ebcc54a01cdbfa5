#pragma once

// Runs a program as a child process and collects what it writes: for tests of command-line
// programs and of the program's own binary.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

struct ChildResult {
  int Status = -1;  // the exit status; -1 when it was killed or did not start
  std::string Out, Err;
  double Milliseconds = 0;  // from the start to the end of the process
  double PeakMiB = 0;       // its largest resident set
};

// What the child may not do: a program run as a user whom the system does not let tie a
// socket to an interface (SO_BINDTODEVICE, SO_BINDTOIFINDEX fail with EPERM).
enum class ChildLimit { None, NoInterfaceBinding };

// A running child: argv[0] with the arguments inside the network namespace (none: this one),
// with `env` ("NAME=value") added to the environment and stdin at its end, or a pipe the test
// writes with Input (`input`). Killed with the test process, and by the destructor when still
// running.
class ChildProcess {
 public:
  ChildProcess(const std::string& netns, std::vector<std::string> argv,
               const std::vector<std::string>& env = {}, bool input = false,
               ChildLimit limit = ChildLimit::None);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return Pid > 0; }
  void Signal(int signal) const;
  // Reads what it wrote until stderr or stdout holds `text`; false when the bound passed or
  // the child closed both first.
  bool WaitForOutput(const std::string& text, int boundMs);
  // The same for any condition on what it wrote.
  bool WaitFor(const std::function<bool()>& written, int boundMs);
  // Writes to its stdin (a child made with `input`); false when it cannot take it (it ended).
  bool Input(const std::string& text);
  // Waits for the end (killed when it outlives `boundMs`, against a hang).
  ChildResult Finish(int boundMs);
  const std::string& Out() const { return Result.Out; }
  const std::string& Err() const { return Result.Err; }
  // Reads what is there, waiting at most `waitMs`; false once both streams are closed.
  bool Pump(int waitMs);

 private:
  pid_t Pid = -1;
  int Streams[2] = {-1, -1};  // stdout, stderr
  int Stdin = -1;
  double StartMs = 0;
  ChildResult Result;
};

// Whether this machine's children can be kept from tying sockets to interfaces.
bool CanDenyInterfaceBinding();

// Runs a child to its end (see ChildProcess).
ChildResult RunChild(const std::string& netns, std::vector<std::string> argv,
                     const std::vector<std::string>& env = {}, int boundMs = 30000);
