// Windows paths on the host: parsing against the current directory, and the host folder that a
// path lands in, matching existing names without regard to ASCII case.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/standin/win32_api.h"

namespace standin::internal {

// A full Windows path taken apart: the drive letter and the names below its root (Shift-JIS).
struct WindowsPath {
    char drive = 'C';
    std::vector<std::string> names;
    bool trailingSeparator = false;  // written with a separator after the last name
};

// Where a Windows path lands on the host.
struct HostLocation {
    DWORD error = 0;            // nonzero: the path is refused as written
    std::string host;           // host path of the entry, which may not exist
    bool parentFound = false;   // the drive and every folder above the entry exist
    bool trailingSeparator = false;
    char drive = 'C';
    std::string lastName;       // the entry's own name as written, in UTF-8
};

// Parses `path` as the platform's ANSI calls do: either separator, repeated separators, ".",
// "..", "X:\...", "X:relative", "\from-the-root" and relative paths. Returns 0 or the error.
DWORD ParseWindowsPath(const char* path, WindowsPath* out);
// "C:\" or "C:\a\b", without a trailing separator.
std::string FormatWindowsPath(const WindowsPath& path);
HostLocation Locate(const WindowsPath& path);
HostLocation LocatePath(const char* path);
// ERROR_FILE_NOT_FOUND when only the entry itself is missing, else ERROR_PATH_NOT_FOUND.
DWORD MissingError(const HostLocation& location);

const WindowsPath& CurrentDirectory();
void SetCurrentDirectoryPath(const WindowsPath& path);
const std::string& HostRoot();

bool StatHost(const std::string& host, struct stat* st);
// The entry a path names, with its last error set when there is none.
bool StatExisting(LPCSTR path, HostLocation* location, struct stat* st);
bool IsHostFolder(const std::string& host);
// Creates the folders of `location` that are missing (the entry itself included).
bool MakeHostFolders(const WindowsPath& path);
DWORD ErrorFromErrno(int error);

}  // namespace standin::internal
