// The process entry: one updater per logon session, one run, exit code 0 whatever happened.
#include "app/run_update.h"
#include "platform/win32.h"

namespace {

// No namespace prefix: the name lives in the session's own namespace.
const char kGuardMutexName[] = "TAVRIN_Updater";

HANDLE GuardHandle = nullptr;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Never owned and never waited on: the name's existence is the guard.
    GuardHandle = CreateMutexA(nullptr, FALSE, kGuardMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(GuardHandle);  // another updater runs: end silently
        return 0;
    }
    RunUpdate();
    // Without a guard (its creation failed) this close fails harmlessly.
    CloseHandle(GuardHandle);
    return 0;
}
