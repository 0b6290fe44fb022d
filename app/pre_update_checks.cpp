#include "app/pre_update_checks.h"

#include "app/discovery.h"
#include "app/message_box.h"
#include "app/messages.h"
#include "game/running_game.h"
#include "game/save_folder.h"
#include "platform/win32.h"
#include "util/bounded_text.h"

namespace {

// The update package, relative to the current directory.
const char* const kPackageEntries[] = {
    "data",
    "data\\inst.ini",
    "data\\pac\\bn.tvp",
    "data\\pac\\update1.tvp",
};

UpdateStatus Stop(const char* text) {
    ShowNotice(text, CAP_ERROR);
    return kUpdateStopped;
}

UpdateStatus StopFormatted(const char* pattern) {
    ShowFormattedNotice(pattern, CAP_ERROR, kGameTitle);
    return kUpdateStopped;
}

// The game holds its main pack while it runs: an open for reading that grants others reading
// and writing fails then. The file is closed again at once, so the copy can replace it.
bool MainPackOpens(const char* installDir, char* packPath) {
    if (!ComposePath(packPath, kPathBufferSize, installDir, "pac\\bn.tvp")) {
        return false;
    }
    HANDLE pack = CreateFileA(packPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (pack == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(pack);
    return true;
}

// Every entry is asked, even after one is found missing.
bool PackageComplete() {
    bool complete = true;
    for (const char* entry : kPackageEntries) {
        if (GetFileAttributesA(entry) == INVALID_FILE_ATTRIBUTES) {
            complete = false;
        }
    }
    return complete;
}

}  // namespace

UpdateStatus RunPreUpdateChecks(const char* installDir, char* packPath) {
    if (ResolveSaveFolder(installDir) != kUpdateSucceeded) {
        return kUpdateStopped;  // its own box has been shown
    }
    // A probe that fails counts as a running game.
    if (IsGameRunning(MakeInstanceName(installDir)) != 0) {
        return StopFormatted(MSG_GAME_RUNNING);
    }
    if (!MainPackOpens(installDir, packPath)) {
        return StopFormatted(MSG_GAME_MAY_BE_RUNNING);
    }
    if (!PackageComplete()) {
        return Stop(MSG_PACKAGE_INCOMPLETE);
    }
    return kUpdateSucceeded;
}
