// Finding, reading and answering the message boxes of another process.
#pragma once

#include <windows.h>

#include <string>

#include "driver_options.h"

namespace e2e {

struct BoxContent {
  std::string caption;  // exact ANSI bytes
  std::string text;     // exact ANSI bytes of the static control 0xFFFF
  std::string buttons;  // visible buttons among OK, CANCEL, YES, NO, comma-separated
  bool icon = false;
};

// A visible top-level dialog ("#32770") of process `pid`, or null.
HWND FindBox(DWORD pid);

BoxContent ReadBox(HWND box);

// Clicks the button of `answer`. False when the box does not show that button.
bool PressButton(HWND box, Answer answer);

// Picks a button the box does show, for boxes nobody scripted an answer for.
Answer FallbackAnswer(const BoxContent& content);

// Waits until the box is destroyed or hidden. False after `timeoutMs`.
bool WaitBoxGone(HWND box, DWORD timeoutMs);

}  // namespace e2e
