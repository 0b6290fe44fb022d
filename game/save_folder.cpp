#include "game/save_folder.h"

#include <cstdint>
#include <cstring>

#include "app/message_box.h"
#include "app/messages.h"
#include "util/bounded_text.h"

int SaveLocationMode = 0;
char AppDataFolder[MAX_PATH];
char DocumentsFolder[MAX_PATH];
char SaveFolder[kSaveFolderSize];

namespace {

const DWORD kSettingsBytesRead = 128;
const int kModeWordOffset = 84;  // word 21, little-endian
const char kSaveSubfolder[] = "\\MORVALE_SaveData\\velmira\\save\\";

void LookUpFolder(char* folder, int csidl) {
    folder[0] = '\0';
    SHGetSpecialFolderPathA(nullptr, folder, csidl, FALSE);
}

// Reads the first 128 bytes of the settings file into `block` (already zeroed); a shorter file
// leaves the rest zero. False when the file does not open.
bool ReadSettingsHead(const char* path, unsigned char* block) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD total = 0;
    while (total < kSettingsBytesRead) {
        DWORD got = 0;
        if (!ReadFile(file, block + total, kSettingsBytesRead - total, &got, nullptr) || got == 0) {
            break;
        }
        total += got;
    }
    CloseHandle(file);
    return true;
}

int32_t ModeWord(const unsigned char* block) {
    const unsigned char* word = block + kModeWordOffset;
    uint32_t value = static_cast<uint32_t>(word[0]) | static_cast<uint32_t>(word[1]) << 8 |
                     static_cast<uint32_t>(word[2]) << 16 | static_cast<uint32_t>(word[3]) << 24;
    return static_cast<int32_t>(value);
}

bool ComposeSaveFolder(const char* installDir) {
    char* out = SaveFolder;
    const size_t size = sizeof SaveFolder;
    switch (SaveLocationMode) {
        case 1:
            return ComposePath(out, size, AppDataFolder, kSaveSubfolder);
        case 2:
            return ComposePath(out, size, DocumentsFolder, kSaveSubfolder);
        case 3:
            return ComposePath(out, size, DocumentsFolder, "\\My Games") &&
                   AppendText(out, size, kSaveSubfolder);
        default:
            return ComposePath(out, size, installDir, "save\\");
    }
}

UpdateStatus StopSettingsMissing() {
    ShowFormattedNotice(MSG_SETTINGS_MISSING, CAP_ERROR);
    return kUpdateStopped;
}

}  // namespace

UpdateStatus ResolveSaveFolder(const char* installDir) {
    // Both folders are looked up on every call, whatever mode the file will name.
    LookUpFolder(AppDataFolder, CSIDL_APPDATA);
    LookUpFolder(DocumentsFolder, CSIDL_PERSONAL);

    // InstallDir ends with a separator, so the path holds two in a row; the platform takes it.
    // A path too long for its buffer could not be opened either.
    char settingsPath[MAX_PATH + 1];
    unsigned char head[kSettingsBytesRead] = {0};
    if (!ComposePath(settingsPath, sizeof settingsPath, installDir, "\\tvcfg.dat") ||
        !ReadSettingsHead(settingsPath, head)) {
        return StopSettingsMissing();
    }
    int32_t mode = ModeWord(head);
    if (mode >= 0 && mode <= 3) {
        SaveLocationMode = mode;
    }
    // Every mode fits the buffer with the folders' sizes; the check keeps it so.
    if (!ComposeSaveFolder(installDir)) {
        return StopSettingsMissing();
    }
    return kUpdateSucceeded;
}
