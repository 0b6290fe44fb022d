// The shell's special folders, as the test sets them.
#include <cstring>
#include <map>
#include <string>

#include "platform/standin/control.h"
#include "platform/standin/faults.h"
#include "platform/standin/reset.h"

namespace {

std::map<int, std::string> folders;

}  // namespace

// Copies the folder's path into `path` (MAX_PATH bytes). An unset folder fails and leaves the
// buffer untouched. The create flag is not modelled: the updater never asks for creation.
BOOL SHGetSpecialFolderPathA(HWND, LPSTR path, int csidl, BOOL) {
    STANDIN_FAILABLE(FALSE, ERROR_FILE_NOT_FOUND);
    auto found = folders.find(csidl);
    if (path == nullptr || found == folders.end() || found->second.size() >= MAX_PATH) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    memcpy(path, found->second.c_str(), found->second.size() + 1);
    return TRUE;
}

namespace standin::internal {

void ResetSpecialFolders() { folders.clear(); }

}  // namespace standin::internal

namespace standin {

void SetSpecialFolder(int csidl, const char* windowsPath) {
    if (windowsPath == nullptr) {
        folders.erase(csidl);
    } else {
        folders[csidl] = windowsPath;
    }
}

}  // namespace standin
