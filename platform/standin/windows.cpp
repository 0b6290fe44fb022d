// Top-level windows of other processes, found by class name (and title) with FindWindowA.
#include <cstdint>
#include <map>
#include <string>

#include "platform/standin/control.h"
#include "platform/standin/faults.h"
#include "platform/standin/reset.h"
#include "platform/standin/sjis_names.h"

namespace {

struct Window {
    std::string className;
    std::string title;
};

std::map<int, Window> windows;
int nextWindow = 1;

HWND HandleOf(int id) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10000 + id * 16)); }

// A null name matches any window; class names and titles compare without regard to ASCII
// case. Class atoms (values below 0x10000) are not modelled and match nothing.
bool NameMatches(LPCSTR wanted, const std::string& actual) {
    if (wanted == nullptr) {
        return true;
    }
    if (reinterpret_cast<uintptr_t>(wanted) < 0x10000) {
        return false;
    }
    return standin::internal::SjisEqualNoCase(wanted, actual);
}

}  // namespace

// The most recently opened window that matches; NULL, with last error 0, when none does.
HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
    STANDIN_FAILABLE(static_cast<HWND>(nullptr), ERROR_NOT_ENOUGH_MEMORY);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (NameMatches(className, it->second.className) &&
            NameMatches(windowName, it->second.title)) {
            return HandleOf(it->first);
        }
    }
    SetLastError(0);
    return nullptr;
}

namespace standin::internal {

void ResetWindows() {
    windows.clear();
    nextWindow = 1;
}

}  // namespace standin::internal

namespace standin {

int OpenWindow(const std::string& className, const std::string& title) {
    int id = nextWindow++;
    windows[id] = Window{className, title};
    return id;
}

void CloseWindow(int id) { windows.erase(id); }

}  // namespace standin
