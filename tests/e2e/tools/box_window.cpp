#include "box_window.h"

#include <cstring>

namespace e2e {

namespace {

// Fixed by the dialog template every message box is made from.
const int kTextControlId = 0xFFFF;

struct FindState {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindBoxOf(HWND hwnd, LPARAM param) {
  FindState* state = reinterpret_cast<FindState*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != state->pid || !IsWindowVisible(hwnd)) return TRUE;
  char cls[64] = {0};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") != 0) return TRUE;
  state->found = hwnd;
  return FALSE;
}

std::string WindowText(HWND hwnd) {
  char buffer[4096];
  int n = GetWindowTextA(hwnd, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? n : 0);
}

std::string DialogItemText(HWND dialog, int id) {
  char buffer[4096];
  UINT n = GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return std::string(buffer, n);
}

// An icon counts only when it is shown: Wine keeps a hidden icon control in every box.
BOOL CALLBACK FindShownIcon(HWND child, LPARAM param) {
  char cls[32] = {0};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") != 0 || !IsWindowVisible(child)) return TRUE;
  LONG style = GetWindowLongA(child, GWL_STYLE);
  if ((style & SS_TYPEMASK) != SS_ICON) return TRUE;
  DWORD_PTR icon = 0;
  if (SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon) && icon) {
    *reinterpret_cast<bool*>(param) = true;
    return FALSE;
  }
  return TRUE;
}

int ButtonId(Answer answer) {
  switch (answer) {
    case Answer::Ok: return IDOK;
    case Answer::Yes: return IDYES;
    case Answer::No: return IDNO;
  }
  return IDOK;
}

bool ShowsButton(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  return button && IsWindowVisible(button);
}

}  // namespace

HWND FindBox(DWORD pid) {
  FindState state = {pid, nullptr};
  EnumWindows(FindBoxOf, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

BoxContent ReadBox(HWND box) {
  BoxContent content;
  content.caption = WindowText(box);
  content.text = DialogItemText(box, kTextControlId);
  static const struct { int id; const char* name; } kButtons[] = {
      {IDOK, "OK"}, {IDCANCEL, "CANCEL"}, {IDYES, "YES"}, {IDNO, "NO"}};
  for (const auto& b : kButtons) {
    if (!ShowsButton(box, b.id)) continue;
    if (!content.buttons.empty()) content.buttons += ",";
    content.buttons += b.name;
  }
  EnumChildWindows(box, FindShownIcon, reinterpret_cast<LPARAM>(&content.icon));
  return content;
}

bool PressButton(HWND box, Answer answer) {
  int id = ButtonId(answer);
  HWND button = GetDlgItem(box, id);
  if (!button || !IsWindowVisible(button)) return false;
  return PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button)) != 0;
}

Answer FallbackAnswer(const BoxContent& content) {
  return content.buttons.find("OK") != std::string::npos ? Answer::Ok : Answer::No;
}

bool WaitBoxGone(HWND box, DWORD timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  while (IsWindow(box) && IsWindowVisible(box)) {
    if (GetTickCount64() >= end) return false;
    Sleep(10);
  }
  return true;
}

}  // namespace e2e
