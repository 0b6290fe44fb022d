#include "app/installation.h"

#include <cstring>

#include "app/discovery.h"
#include "app/file_replace.h"
#include "app/message_box.h"
#include "app/messages.h"
#include "game/save_folder.h"
#include "platform/win32.h"
#include "util/bounded_text.h"
#include "util/file_list.h"

namespace {

const size_t kCaptionBufferSize = 1024;
const int32_t kMaxSaveFiles = 8192;

struct InstalledFile {
    const char* source;       // relative to the current directory
    const char* destination;  // relative to the install folder
};

// In the order of copying.
const InstalledFile kInstalledFiles[] = {
    {"data\\inst.ini", "inst.ini"},
    {"data\\pac\\bn.tvp", "pac\\bn.tvp"},
    {"data\\pac\\update1.tvp", "pac\\update1.tvp"},
};

// Both questions share one caption. Only IDNO cancels; a box that fails to show goes on.
bool UserConfirms(const char* caption) {
    FormatText(MessageBuffer, sizeof MessageBuffer, MSG_CONFIRM_DETECTED, kGameTitle,
               kTargetVersion);
    if (AskYesNo(MessageBuffer, caption) == IDNO) {
        return false;
    }
    FormatText(MessageBuffer, sizeof MessageBuffer, MSG_CONFIRM_START, kTargetVersion);
    return AskYesNo(MessageBuffer, caption) != IDNO;
}

// Every copy is attempted, whatever the earlier ones gave. A destination too long for its
// buffer counts as a failed copy. True when any copy failed.
bool CopyPackage(const char* installDir, char* probePath) {
    bool copyFailed = false;
    for (const InstalledFile& file : kInstalledFiles) {
        if (!ComposePath(probePath, kPathBufferSize, installDir, file.destination) ||
            !ReplaceFileAtomically(file.source, probePath)) {
            copyFailed = true;
        }
    }
    return copyFailed;
}

// Deletes every *.sd file directly in SaveFolder, as listed. A folder too long for the request
// has nothing deleted. False only when the listing fails.
bool ClearSaveFiles() {
    FileListRequest request;
    memset(&request, 0, sizeof request);
    if (!CopyText(request.root, sizeof request.root, SaveFolder)) {
        return true;
    }
    CopyText(request.filters[0], sizeof request.filters[0], ".sd");
    request.filterCount = 1;
    request.maxResults = kMaxSaveFiles;
    request.sortResults = 0;
    if (ListFiles(request) != 0) {
        return false;
    }
    // In the order the file system gave them; a file that cannot be deleted stays.
    for (int32_t i = 0; i < request.resultCount; ++i) {
        DeleteFileA(request.results[i]);
    }
    ReleaseFileList(request);
    return true;
}

}  // namespace

UpdateStatus ConfirmAndInstall(const char* installDir, char* probePath) {
    char caption[kCaptionBufferSize];
    FormatText(caption, sizeof caption, CAP_UPDATE, kGameTitle);
    if (!UserConfirms(caption)) {
        ShowNotice(MSG_CANCELLED, CAP_CANCELLED);
        return kUpdateStopped;
    }

    // From here on there is no question and no way back.
    bool copyFailed = CopyPackage(installDir, probePath);
    // The save files go even after a failed copy, as the first question announced.
    if (!ClearSaveFiles()) {
        return kUpdateStopped;
    }
    if (copyFailed) {
        ShowNotice(MSG_COPY_FAILED, CAP_FAILED);
        return kUpdateStopped;
    }
    ShowFormattedNotice(MSG_SUCCESS, CAP_DONE, kTargetVersion, kTargetVersion);
    return kUpdateSucceeded;
}
