// e2e_driver: runs Updater.exe, answers each of its message boxes from a script and
// writes a transcript of what the boxes showed. See driver_options.cpp for the usage.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "box_window.h"
#include "child_process.h"
#include "driver_options.h"
#include "hex.h"
#include "screenshot.h"
#include "transcript.h"

namespace e2e {
namespace {

const DWORD kBoxGoneTimeoutMs = 10000;
const DWORD kSecondTimeoutMs = 15000;
const DWORD kPollMs = 20;

int WriteFolders(const std::string& path) {
  char appData[MAX_PATH] = {0};
  char documents[MAX_PATH] = {0};
  if (!SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, FALSE) ||
      !SHGetSpecialFolderPathA(nullptr, documents, CSIDL_PERSONAL, FALSE))
    return 1;
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return 1;
  std::fprintf(f, "appdata %s\ndocuments %s\n", EncodeHex(appData).c_str(),
               EncodeHex(documents).c_str());
  return std::fclose(f) == 0 ? 0 : 1;
}

// Starts another updater while the first one shows a box, and records whether it shows
// anything and how soon it ends. Any box it shows is closed so it cannot hang the run.
void RunSecondUpdater(const DriverOptions& o, Transcript& t) {
  ULONGLONG start = GetTickCount64();
  ChildProcess second;
  if (!StartChild(o.updater, o.updaterArgs, o.cwd, &second)) {
    t.Error("cannot start the second updater");
    return;
  }
  int boxes = 0;
  while (WaitForSingleObject(second.handle, kPollMs) == WAIT_TIMEOUT) {
    if (GetTickCount64() - start > kSecondTimeoutMs) {
      t.Error("the second updater did not end; killed");
      break;
    }
    HWND box = FindBox(second.pid);
    if (!box) continue;
    BoxContent content = ReadBox(box);
    t.Box("second_box", ++boxes, content);
    PressButton(box, FallbackAnswer(content));
    WaitBoxGone(box, kBoxGoneTimeoutMs);
  }
  long code = WaitChild(&second, 0);
  t.Line("second_exit", code < 0 ? "killed" : std::to_string(code));
  t.Line("second_ms", std::to_string(GetTickCount64() - start));
  CloseHandle(second.handle);
}

// Handles one box: records it, optionally photographs it, answers it and waits until it
// is gone. False when it cannot be answered.
bool HandleBox(const DriverOptions& o, HWND box, int number, Transcript& t) {
  BoxContent content = ReadBox(box);
  t.Box("box", number, content);
  if (!o.shotDir.empty()) {
    std::string path = o.shotDir + "\\box" + std::to_string(number) + ".bmp";
    if (SaveWindowShot(box, path)) t.Line("shot", EncodeHex(path));
    else t.Error("screenshot failed: " + path);
  }
  if (number == 1 && o.second) RunSecondUpdater(o, t);

  bool scripted = static_cast<size_t>(number) <= o.answers.size();
  Answer answer = scripted ? o.answers[number - 1] : FallbackAnswer(content);
  t.Line(scripted ? "answer" : "unscripted_answer", AnswerName(answer));
  if (!PressButton(box, answer)) {
    // Not the box the script expected: record that, and close it the safe way so the
    // transcript still shows what the updater does next.
    t.Error("box " + std::to_string(number) + " shows no button " + AnswerName(answer));
    Answer fallback = FallbackAnswer(content);
    t.Line("unscripted_answer", AnswerName(fallback));
    if (!PressButton(box, fallback)) return false;
  }
  if (!WaitBoxGone(box, kBoxGoneTimeoutMs)) {
    t.Error("box " + std::to_string(number) + " stayed after the answer");
    return false;
  }
  return true;
}

// Answers boxes until the updater ends. Returns the driver's exit code.
int DriveUpdater(const DriverOptions& o, ChildProcess& updater, Transcript& t) {
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(o.timeoutMs);
  int number = 0;
  for (;;) {
    if (WaitForSingleObject(updater.handle, kPollMs) == WAIT_OBJECT_0) break;
    HWND box = FindBox(updater.pid);
    if (box) {
      if (!HandleBox(o, box, ++number, t)) {
        KillChild(&updater);
        t.Line("exit", "killed");
        return 1;
      }
      continue;
    }
    if (GetTickCount64() > deadline) {
      t.Error("the updater neither showed a box nor ended in time; killed");
      KillChild(&updater);
      t.Line("exit", "killed");
      return 1;
    }
  }
  DWORD code = 0;
  GetExitCodeProcess(updater.handle, &code);
  t.Line("exit", std::to_string(code));
  return 0;
}

int Run(const DriverOptions& o) {
  Transcript t;
  if (!t.Open(o.out)) {
    std::fprintf(stderr, "e2e_driver: cannot write %s\n", o.out.c_str());
    return 2;
  }
  Holder holder;
  std::string why;
  if (!o.holdArgs.empty() && !holder.Start(o.holder, o.holdArgs, &why)) {
    t.Error(why);
    return 1;
  }
  ChildProcess updater;
  if (!StartChild(o.updater, o.updaterArgs, o.cwd, &updater)) {
    t.Error("cannot start " + o.updater + " (error " + std::to_string(GetLastError()) + ")");
    return 1;
  }
  int result = DriveUpdater(o, updater, t);
  CloseHandle(updater.handle);
  holder.Stop();
  return result;
}

}  // namespace
}  // namespace e2e

int main(int argc, char** argv) {
  e2e::DriverOptions options;
  if (!e2e::ParseDriverOptions(argc, argv, &options)) return 2;
  if (options.foldersOnly) return e2e::WriteFolders(options.out);
  return e2e::Run(options);
}
