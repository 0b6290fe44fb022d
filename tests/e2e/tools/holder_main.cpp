// e2e_holder: plays the processes the updater has to notice.
//   --mutex NAME    a mutex of that name, as the running game holds one
//   --window NAME   a top-level window of a window class of that name, as the game shows
//   --file PATH     the file held open for reading, shared with nobody
//   --event NAME    an event of that name, so a mutex of the name cannot be created
// Every role is set up before it sets the event --ready; it stays until the event --stop
// is set (or a minute has passed, so it can never outlive a broken run for long).
// Names and paths may be given as hex:BYTES and are used as exact ANSI bytes.
#include <windows.h>

#include <cstdio>
#include <string>

#include "hex.h"

namespace {

const DWORD kLifetimeMs = 60000;

int Fail(const char* what, const std::string& value, int code) {
  std::fprintf(stderr, "e2e_holder: %s %s (error %lu)\n", what, value.c_str(), GetLastError());
  return code;
}

bool OpenGameWindow(const std::string& className) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = className.c_str();
  if (!RegisterClassA(&wc)) return false;
  // Small and in a corner, clear of the centred message boxes in screenshots.
  HWND window = CreateWindowExA(0, className.c_str(), "velmira", WS_OVERLAPPEDWINDOW, 0, 0,
                                160, 90, nullptr, nullptr, wc.hInstance, nullptr);
  if (!window) return false;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  return true;
}

// Waits for `stop` while keeping the window responsive.
void StayUntil(HANDLE stop) {
  ULONGLONG end = GetTickCount64() + kLifetimeMs;
  for (;;) {
    ULONGLONG now = GetTickCount64();
    if (now >= end) return;
    DWORD w = MsgWaitForMultipleObjects(1, &stop, FALSE, static_cast<DWORD>(end - now),
                                        QS_ALLINPUT);
    if (w != WAIT_OBJECT_0 + 1) return;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string readyName, stopName;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string flag = argv[i];
    std::string value;
    if (!e2e::DecodeArgument(argv[i + 1], &value)) return Fail("bad value", argv[i + 1], 2);
    if (flag == "--ready") {
      readyName = value;
    } else if (flag == "--stop") {
      stopName = value;
    } else if (flag == "--mutex") {
      if (!CreateMutexA(nullptr, FALSE, value.c_str())) return Fail("mutex", argv[i + 1], 3);
    } else if (flag == "--window") {
      if (!OpenGameWindow(value)) return Fail("window", argv[i + 1], 4);
    } else if (flag == "--file") {
      HANDLE file = CreateFileA(value.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) return Fail("file", argv[i + 1], 5);
    } else if (flag == "--event") {
      if (!CreateEventA(nullptr, TRUE, FALSE, value.c_str())) return Fail("event", argv[i + 1], 6);
    } else {
      return Fail("unknown option", flag, 2);
    }
  }
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyName.c_str());
  HANDLE stop = OpenEventA(SYNCHRONIZE, FALSE, stopName.c_str());
  if (!ready || !stop) return Fail("cannot open the events", readyName + " " + stopName, 7);
  SetEvent(ready);
  StayUntil(stop);
  return 0;  // every handle goes with the process
}
