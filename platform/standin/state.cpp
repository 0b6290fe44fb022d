// The thread's last error, and the reset of the whole stand-in world between tests.
#include "platform/standin/control.h"
#include "platform/standin/faults.h"
#include "platform/standin/reset.h"

namespace {

DWORD lastError = 0;

}  // namespace

// Logged so that tests can see it read in order, but never failed: code reads it right after
// another call, and a fault here would only hide that call's own error.
DWORD GetLastError() {
    standin::internal::LogCall(__func__);
    return lastError;
}

// Not a call the updater makes; the stand-in uses it to report errors, so it is not logged.
void SetLastError(DWORD error) { lastError = error; }

namespace standin::internal {

void ResetLastError() { lastError = 0; }

}  // namespace standin::internal

namespace standin {

void Reset(const std::string& hostRoot) {
    using namespace standin::internal;
    ResetFaults();
    ResetOpenFiles();
    ResetFinds();
    ResetHandles();
    ResetPaths(hostRoot);
    ResetAttributes();
    ResetCopyFaults();
    ResetRegistry();
    ResetObjects();
    ResetWindows();
    ResetMessageBoxes();
    ResetSpecialFolders();
    ResetHeap();
    ResetLastError();
}

}  // namespace standin
