// Screenshot of one window as it stands on the screen.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// Copies the window's rectangle from the screen into a 24-bit BMP file.
bool SaveWindowShot(HWND window, const std::string& path);

}  // namespace e2e
