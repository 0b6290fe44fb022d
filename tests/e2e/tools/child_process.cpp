#include "child_process.h"

namespace e2e {

namespace {

// Quotes one argument the way the C runtime splits it again (backslashes only matter
// in front of a quote).
std::string Quote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

}  // namespace

bool StartChild(const std::string& exe, const std::vector<std::string>& args,
                const std::string& cwd, ChildProcess* child) {
  std::string commandLine = "\"" + exe + "\"";
  for (const std::string& arg : args) commandLine += " " + Quote(arg);
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      cwd.empty() ? nullptr : cwd.c_str(), &startup, &info))
    return false;
  CloseHandle(info.hThread);
  child->handle = info.hProcess;
  child->pid = info.dwProcessId;
  return true;
}

long WaitChild(ChildProcess* child, DWORD timeoutMs) {
  if (WaitForSingleObject(child->handle, timeoutMs) != WAIT_OBJECT_0) {
    KillChild(child);
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(child->handle, &code);
  return static_cast<long>(code);
}

void KillChild(ChildProcess* child) {
  TerminateProcess(child->handle, 255);
  WaitForSingleObject(child->handle, 5000);
}

Holder::~Holder() {
  Stop();
}

bool Holder::Start(const std::string& exe, const std::vector<std::string>& roleArgs,
                   std::string* why) {
  std::string suffix = std::to_string(GetCurrentProcessId());
  std::string readyName = "e2e_holder_ready_" + suffix;
  std::string stopName = "e2e_holder_stop_" + suffix;
  ready_ = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
  stop_ = CreateEventA(nullptr, TRUE, FALSE, stopName.c_str());
  if (!ready_ || !stop_) {
    *why = "cannot create the holder's events";
    return false;
  }
  std::vector<std::string> args = {"--ready", readyName, "--stop", stopName};
  args.insert(args.end(), roleArgs.begin(), roleArgs.end());
  if (!StartChild(exe, args, "", &process_)) {
    *why = "cannot start the holder " + exe;
    return false;
  }
  HANDLE waits[2] = {ready_, process_.handle};
  DWORD w = WaitForMultipleObjects(2, waits, FALSE, 20000);
  if (w == WAIT_OBJECT_0) return true;
  if (w == WAIT_OBJECT_0 + 1) {
    DWORD code = 0;
    GetExitCodeProcess(process_.handle, &code);
    *why = "the holder ended before it was ready, exit code " + std::to_string(code);
  } else {
    *why = "the holder was not ready in time";
  }
  return false;
}

void Holder::Stop() {
  if (process_.handle) {
    SetEvent(stop_);
    WaitChild(&process_, 10000);  // kills it if it does not end in time
    CloseHandle(process_.handle);
    process_ = ChildProcess();
  }
  if (ready_) CloseHandle(ready_);
  if (stop_) CloseHandle(stop_);
  ready_ = stop_ = nullptr;
}

}  // namespace e2e
