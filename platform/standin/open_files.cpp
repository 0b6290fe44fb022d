// The open files of the updater and of the test's "other processes", with the sharing rule.
// Each open keeps a host descriptor, so the file it names stays the same file (the same inode)
// even after a rename or a deletion allowed by FILE_SHARE_DELETE.
#include "platform/standin/open_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <map>

#include "platform/standin/attributes.h"
#include "platform/standin/control.h"
#include "platform/standin/paths.h"
#include "platform/standin/reset.h"

namespace standin::internal {

namespace {

// The rights that count as reading, writing and deleting for sharing: the generic rights and
// the specific ones they stand for.
constexpr DWORD kGenericExecute = 0x20000000u;
constexpr DWORD kGenericAll = 0x10000000u;
constexpr DWORD kReadRights = GENERIC_READ | kGenericExecute | kGenericAll | 0x0001u | 0x0020u;
constexpr DWORD kWriteRights = GENERIC_WRITE | kGenericAll | 0x0002u | 0x0004u;
constexpr DWORD kDeleteRights = kDeleteAccess | kGenericAll;

std::map<int, OpenFile> openFiles;
int nextId = 1;

bool Conflicts(DWORD access, DWORD share) {
    return ((access & kReadRights) != 0 && (share & FILE_SHARE_READ) == 0) ||
           ((access & kWriteRights) != 0 && (share & FILE_SHARE_WRITE) == 0) ||
           ((access & kDeleteRights) != 0 && (share & FILE_SHARE_DELETE) == 0);
}

}  // namespace

bool CanRead(DWORD access) { return (access & kReadRights) != 0; }
bool CanWrite(DWORD access) { return (access & kWriteRights) != 0; }

bool SharingAllows(const struct stat& file, DWORD access, DWORD share) {
    for (const auto& [id, open] : openFiles) {
        if (open.device != file.st_dev || open.inode != file.st_ino) {
            continue;
        }
        if (Conflicts(access, open.share) || Conflicts(open.access, share)) {
            return false;
        }
    }
    return true;
}

int AddOpenFile(int fd, const struct stat& file, DWORD access, DWORD share, bool heldByTest) {
    int id = nextId++;
    openFiles[id] = OpenFile{fd, file.st_dev, file.st_ino, access, share, heldByTest};
    return id;
}

OpenFile* FindOpenFile(int id) {
    auto found = openFiles.find(id);
    return found == openFiles.end() ? nullptr : &found->second;
}

void CloseOpenFile(int id) {
    auto found = openFiles.find(id);
    if (found != openFiles.end()) {
        close(found->second.fd);
        openFiles.erase(found);
    }
}

void ResetOpenFiles() {
    for (const auto& [id, open] : openFiles) {
        close(open.fd);
    }
    openFiles.clear();
    nextId = 1;
}

}  // namespace standin::internal

namespace standin {

// Another process opening an existing file: the same read-only and sharing rules apply to it.
int HoldFile(const std::string& windowsPath, DWORD access, DWORD shareMode) {
    using namespace standin::internal;
    HostLocation location = LocatePath(windowsPath.c_str());
    struct stat st;
    if (location.error != 0 || !StatHost(location.host, &st) || S_ISDIR(st.st_mode)) {
        return 0;
    }
    if (CanWrite(access) && (AttributesOf(location.host, st) & FILE_ATTRIBUTE_READONLY) != 0) {
        return 0;
    }
    if (!SharingAllows(st, access, shareMode)) {
        return 0;
    }
    int fd = open(location.host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    return AddOpenFile(fd, st, access, shareMode, true);
}

void ReleaseFile(int id) {
    using namespace standin::internal;
    OpenFile* open = FindOpenFile(id);
    if (open != nullptr && open->heldByTest) {
        CloseOpenFile(id);
    }
}

}  // namespace standin
