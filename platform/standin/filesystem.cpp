// Attributes and the current directory through the platform calls, and the file system
// helpers that tests build their fixtures with (these bypass faults, sharing and read-only).
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "platform/standin/attributes.h"
#include "platform/standin/control.h"
#include "platform/standin/faults.h"
#include "platform/standin/paths.h"
#include "platform/standin/sjis_names.h"

using namespace standin::internal;

// Attributes of a file or folder; INVALID_FILE_ATTRIBUTES when it does not exist.
DWORD GetFileAttributesA(LPCSTR path) {
    STANDIN_FAILABLE(INVALID_FILE_ATTRIBUTES, ERROR_ACCESS_DENIED);
    HostLocation location;
    struct stat st;
    if (!StatExisting(path, &location, &st)) {
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(location.host, st);
}

// Sets read-only, hidden, system and archive; FILE_ATTRIBUTE_NORMAL alone clears them all.
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
    STANDIN_FAILABLE(FALSE, ERROR_ACCESS_DENIED);
    HostLocation location;
    struct stat st;
    if (!StatExisting(path, &location, &st)) {
        return FALSE;
    }
    StoreAttributes(location.host, attributes & kStoredAttributes);
    return TRUE;
}

// Length without terminator when `buffer` holds the path; else the size it needs, terminator
// included, with the buffer untouched.
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
    STANDIN_FAILABLE(0, ERROR_NOT_ENOUGH_MEMORY);
    std::string text = FormatWindowsPath(CurrentDirectory());
    DWORD length = static_cast<DWORD>(text.size());
    if (buffer == nullptr || size <= length) {
        return length + 1;
    }
    memcpy(buffer, text.c_str(), text.size() + 1);
    return length;
}

// The folder must exist; the path is kept as written (case included), made full.
BOOL SetCurrentDirectoryA(LPCSTR path) {
    STANDIN_FAILABLE(FALSE, ERROR_ACCESS_DENIED);
    WindowsPath parsed;
    if (DWORD error = ParseWindowsPath(path, &parsed)) {
        SetLastError(error);
        return FALSE;
    }
    // Windows keeps the current folder with a trailing separator and a terminator in MAX_PATH.
    size_t chars = 0;
    SjisCharCount(FormatWindowsPath(parsed), &chars);
    if (!parsed.names.empty() && chars + 1 >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    HostLocation location = Locate(parsed);
    struct stat st;
    if (location.error != 0) {
        SetLastError(location.error);
        return FALSE;
    }
    if (!StatHost(location.host, &st)) {
        SetLastError(MissingError(location));
        return FALSE;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    SetCurrentDirectoryPath(parsed);
    return TRUE;
}

namespace standin {

std::string HostPath(const std::string& windowsPath) {
    HostLocation location = LocatePath(windowsPath.c_str());
    return location.error != 0 ? std::string() : location.host;
}

bool MakeFolder(const std::string& windowsPath) {
    WindowsPath parsed;
    return ParseWindowsPath(windowsPath.c_str(), &parsed) == 0 && MakeHostFolders(parsed);
}

bool WriteBytes(const std::string& windowsPath, const std::string& bytes) {
    WindowsPath parsed;
    if (ParseWindowsPath(windowsPath.c_str(), &parsed) != 0 || parsed.names.empty()) {
        return false;
    }
    WindowsPath parent = parsed;
    parent.names.pop_back();
    if (!MakeHostFolders(parent)) {
        return false;
    }
    HostLocation location = Locate(parsed);
    if (location.error != 0 || IsHostFolder(location.host)) {
        return false;
    }
    int fd = open(location.host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return close(fd) == 0 && ok;
}

bool ReadBytes(const std::string& windowsPath, std::string* bytes) {
    HostLocation location = LocatePath(windowsPath.c_str());
    if (location.error != 0 || IsHostFolder(location.host)) {
        return false;
    }
    int fd = open(location.host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bytes->clear();
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) {
        bytes->append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return got == 0;
}

bool Exists(const std::string& windowsPath) {
    HostLocation location = LocatePath(windowsPath.c_str());
    struct stat st;
    return location.error == 0 && StatHost(location.host, &st);
}

// A test may name a folder that does not exist (yet); only a path that cannot be parsed is
// ignored.
void SetCurrentDir(const std::string& windowsPath) {
    WindowsPath parsed;
    if (ParseWindowsPath(windowsPath.c_str(), &parsed) == 0) {
        SetCurrentDirectoryPath(parsed);
    }
}

}  // namespace standin
