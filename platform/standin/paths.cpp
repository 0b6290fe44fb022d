// Windows paths mapped onto the host folder given to Reset: drive C: is hostRoot/C, names are
// converted from Shift-JIS to UTF-8, and an existing name is found whatever its ASCII case.
#include "platform/standin/paths.h"

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/standin/reset.h"
#include "platform/standin/sjis_names.h"

namespace standin::internal {

namespace {

std::string hostRoot;
WindowsPath currentDirectory;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c; }

// Characters Windows refuses in a name; checked on single-byte characters only, so the second
// byte of a double-byte character never counts.
bool IsValidName(const std::string& name) {
    for (size_t at = 0; at < name.size();) {
        size_t length = SjisCharLength(name, at);
        if (length == 1) {
            unsigned char c = static_cast<unsigned char>(name[at]);
            if (c < 0x20 || std::strchr("<>:\"|?*", c) != nullptr) {
                return false;
            }
        }
        at += length;
    }
    return true;
}

// Adds one written name to the path: empty names (repeated separators) and "." change nothing,
// ".." goes up but never above the root.
DWORD AddName(const std::string& name, WindowsPath* path) {
    if (name.empty() || name == ".") {
        return 0;
    }
    if (name == "..") {
        if (!path->names.empty()) {
            path->names.pop_back();
        }
        return 0;
    }
    if (!IsValidName(name)) {
        return ERROR_INVALID_NAME;
    }
    path->names.push_back(name);
    return 0;
}

// The existing entry of `folder` whose name equals `name` but for ASCII case; "" when none. An
// exact match wins over others that differ only in case.
std::string MatchName(const std::string& folder, const std::string& name) {
    struct stat st;
    if (lstat((folder + "/" + name).c_str(), &st) == 0) {
        return name;
    }
    std::string match;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return match;
    }
    while (dirent* entry = readdir(dir)) {
        if (Utf8EqualNoCase(entry->d_name, name)) {
            match = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return match;
}

}  // namespace

DWORD ParseWindowsPath(const char* path, WindowsPath* out) {
    if (path == nullptr || path[0] == '\0') {
        return ERROR_PATH_NOT_FOUND;
    }
    std::string text(path);
    size_t chars = 0;
    if (!SjisCharCount(text, &chars)) {
        return ERROR_INVALID_NAME;
    }
    // The ANSI calls widen the path into a buffer of MAX_PATH characters first.
    if (chars > MAX_PATH) {
        return ERROR_FILENAME_EXCED_RANGE;
    }
    WindowsPath result;
    size_t at = 0;
    if (text.size() >= 2 && IsAsciiLetter(text[0]) && text[1] == ':') {
        result.drive = UpperAscii(text[0]);
        at = 2;
        // "X:name" is relative to the current folder of that drive; only the current drive
        // keeps one here, other drives start at their root.
        if ((at >= text.size() || !IsSeparator(text[at])) &&
            result.drive == currentDirectory.drive) {
            result.names = currentDirectory.names;
        }
    } else if (IsSeparator(text[0])) {
        if (text.size() >= 2 && IsSeparator(text[1])) {
            return ERROR_BAD_NETPATH;  // "\\server\share" and device paths are not modelled
        }
        result.drive = currentDirectory.drive;
    } else {
        result = currentDirectory;
    }
    std::string name;
    bool endsWithSeparator = false;
    while (at < text.size()) {
        size_t length = SjisCharLength(text, at);
        if (length == 1 && IsSeparator(text[at])) {
            if (DWORD error = AddName(name, &result)) {
                return error;
            }
            name.clear();
            endsWithSeparator = true;
        } else {
            name.append(text, at, length);
            endsWithSeparator = false;
        }
        at += length;
    }
    if (DWORD error = AddName(name, &result)) {
        return error;
    }
    result.trailingSeparator = endsWithSeparator && !result.names.empty();
    // The full path must leave room for its terminator in MAX_PATH characters.
    size_t fullChars = 0;
    SjisCharCount(FormatWindowsPath(result), &fullChars);
    if (fullChars + (result.trailingSeparator ? 1 : 0) >= MAX_PATH) {
        return ERROR_PATH_NOT_FOUND;
    }
    *out = result;
    return 0;
}

std::string FormatWindowsPath(const WindowsPath& path) {
    std::string text(1, path.drive);
    text += ":\\";
    for (size_t i = 0; i < path.names.size(); ++i) {
        if (i > 0) {
            text += '\\';
        }
        text += path.names[i];
    }
    return text;
}

HostLocation Locate(const WindowsPath& path) {
    HostLocation location;
    location.drive = path.drive;
    location.trailingSeparator = path.trailingSeparator;
    if (hostRoot.empty()) {
        location.error = ERROR_PATH_NOT_FOUND;
        return location;
    }
    std::string host = hostRoot + "/" + std::string(1, path.drive);
    bool chainExists = IsHostFolder(host);
    for (size_t i = 0; i < path.names.size(); ++i) {
        std::string name;
        if (!SjisToUtf8(path.names[i], &name)) {
            location.error = ERROR_INVALID_NAME;
            return location;
        }
        location.lastName = name;
        if (chainExists) {
            std::string match = MatchName(host, name);
            if (!match.empty()) {
                name = match;
            }
        }
        host += "/" + name;
        if (i + 1 < path.names.size()) {
            chainExists = chainExists && IsHostFolder(host);
        }
    }
    location.host = host;
    location.parentFound = chainExists;
    return location;
}

HostLocation LocatePath(const char* path) {
    WindowsPath parsed;
    if (DWORD error = ParseWindowsPath(path, &parsed)) {
        HostLocation refused;
        refused.error = error;
        return refused;
    }
    return Locate(parsed);
}

DWORD MissingError(const HostLocation& location) {
    return location.parentFound ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

const WindowsPath& CurrentDirectory() { return currentDirectory; }

void SetCurrentDirectoryPath(const WindowsPath& path) {
    currentDirectory = path;
    currentDirectory.trailingSeparator = false;
}

const std::string& HostRoot() { return hostRoot; }

bool StatHost(const std::string& host, struct stat* st) { return stat(host.c_str(), st) == 0; }

bool IsHostFolder(const std::string& host) {
    struct stat st;
    return StatHost(host, &st) && S_ISDIR(st.st_mode);
}

bool MakeHostFolders(const WindowsPath& path) {
    WindowsPath partial;
    partial.drive = path.drive;
    std::string drive = hostRoot + "/" + std::string(1, path.drive);
    if (hostRoot.empty() || (!IsHostFolder(drive) && mkdir(drive.c_str(), 0777) != 0)) {
        return false;
    }
    for (const std::string& name : path.names) {
        partial.names.push_back(name);
        HostLocation location = Locate(partial);
        if (location.error != 0) {
            return false;
        }
        if (!IsHostFolder(location.host) && mkdir(location.host.c_str(), 0777) != 0) {
            return false;
        }
    }
    return true;
}

DWORD ErrorFromErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

void ResetPaths(const std::string& root) {
    hostRoot = root;
    while (hostRoot.size() > 1 && hostRoot.back() == '/') {
        hostRoot.pop_back();
    }
    currentDirectory = WindowsPath();
    mkdir((hostRoot + "/C").c_str(), 0777);
}

bool StatExisting(LPCSTR path, HostLocation* location, struct stat* st) {
    *location = LocatePath(path);
    if (location->error != 0) {
        SetLastError(location->error);
        return false;
    }
    if (!StatHost(location->host, st)) {
        SetLastError(MissingError(*location));
        return false;
    }
    // "file\" names a folder that is not there.
    if (location->trailingSeparator && !S_ISDIR(st->st_mode)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    return true;
}

}  // namespace standin::internal
