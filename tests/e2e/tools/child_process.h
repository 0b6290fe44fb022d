// Starting and ending the processes the driver runs: the updater and the holder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct ChildProcess {
  HANDLE handle = nullptr;
  DWORD pid = 0;
};

// Starts `exe` in `cwd` with the arguments quoted onto its command line.
bool StartChild(const std::string& exe, const std::vector<std::string>& args,
                const std::string& cwd, ChildProcess* child);

// Exit code, or -1 when the process had to be killed after `timeoutMs`.
long WaitChild(ChildProcess* child, DWORD timeoutMs);

void KillChild(ChildProcess* child);

// The holder plays other processes (the running game, a reader holding a file). It is
// started with its roles, sets up all of them, then signals `ready`; it stays until `stop`.
class Holder {
 public:
  ~Holder();
  // False with `why` set when the holder ended or timed out before it was ready.
  bool Start(const std::string& exe, const std::vector<std::string>& roleArgs, std::string* why);
  // Tells it to let go and waits for it to end.
  void Stop();

 private:
  HANDLE ready_ = nullptr;
  HANDLE stop_ = nullptr;
  ChildProcess process_;
};

}  // namespace e2e
