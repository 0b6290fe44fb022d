#include "app/discovery.h"

#include <cstring>

#include "app/message_box.h"
#include "app/messages.h"
#include "util/bounded_text.h"

const char kRegistryKey[] = "Software\\MORVALE\\velmira";

HKEY GameRegistryKey = nullptr;

namespace {

UpdateStatus StopNotInstalled(const char* caption) {
    ShowFormattedNotice(MSG_NOT_INSTALLED, caption, kGameTitle);
    return kUpdateStopped;
}

// Reads Dir into installDir as stored. The value may lack its terminator or not be a string at
// all; either way installDir ends up terminated within its buffer, or the read counts as failed.
bool ReadInstallDir(char* installDir) {
    DWORD size = kPathBufferSize;
    if (RegQueryValueExA(GameRegistryKey, "Dir", nullptr, nullptr,
                         reinterpret_cast<LPBYTE>(installDir), &size) != ERROR_SUCCESS) {
        return false;
    }
    if (size < kPathBufferSize) {
        installDir[size] = '\0';
    }
    // A full buffer without a terminator holds 261 bytes of text: longer than a path.
    return memchr(installDir, '\0', kPathBufferSize) != nullptr;
}

// A probe whose path would not fit its buffer counts as a missing entry.
bool EntryExists(char* probePath, const char* installDir, const char* name) {
    return ComposePath(probePath, kPathBufferSize, installDir, name) &&
           GetFileAttributesA(probePath) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

UpdateStatus DiscoverInstallation(char* installDir, char* probePath) {
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRegistryKey, 0, KEY_ALL_ACCESS, &GameRegistryKey) !=
        ERROR_SUCCESS) {
        return StopNotInstalled(CAP_ERROR_NO1);
    }
    if (!ReadInstallDir(installDir)) {
        installDir[0] = '\0';
        return StopNotInstalled(CAP_ERROR_NO2);
    }
    // Both probes are always made, "inst.ini" first.
    bool hasInstallFile = EntryExists(probePath, installDir, "inst.ini");
    bool hasPacks = EntryExists(probePath, installDir, "pac");
    if (!hasInstallFile || !hasPacks) {
        return StopNotInstalled(CAP_ERROR_NO3);
    }
    return kUpdateSucceeded;
}
