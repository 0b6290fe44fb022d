// Folder enumeration: FindFirstFileA, FindNextFileA, FindClose. The entries of a folder are
// taken when the enumeration starts, in the host's readdir order, after "." and ".." for any
// folder but a drive root, as Windows gives them.
#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/standin/attributes.h"
#include "platform/standin/faults.h"
#include "platform/standin/handles.h"
#include "platform/standin/paths.h"
#include "platform/standin/reset.h"
#include "platform/standin/sjis_names.h"

namespace {

using namespace standin::internal;

struct Found {
    std::string name;  // Shift-JIS
    DWORD attributes;
    struct stat st;
};

struct Enumeration {
    std::vector<Found> entries;
    size_t next;
};

std::map<int, Enumeration> enumerations;
int nextEnumeration = 1;

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

char FoldChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c; }

// Length of the character at `at`, taking a stray lead byte at the end as one character.
size_t Step(const std::string& text, size_t at) {
    size_t length = SjisCharLength(text, at);
    return length == 0 ? 1 : length;
}

// '*' matches any run of characters and '?' one character; a double-byte character counts as
// one, and ASCII letters match in either case.
bool Matches(const std::string& name, size_t n, const std::string& pattern, size_t p) {
    if (p == pattern.size()) {
        return n == name.size();
    }
    if (pattern[p] == '*') {
        for (size_t at = n;; at += Step(name, at)) {
            if (Matches(name, at, pattern, p + 1)) {
                return true;
            }
            if (at >= name.size()) {
                return false;
            }
        }
    }
    if (n == name.size()) {
        return false;
    }
    size_t nameLength = Step(name, n);
    if (pattern[p] == '?') {
        return Matches(name, n + nameLength, pattern, p + 1);
    }
    size_t patternLength = Step(pattern, p);
    if (nameLength != patternLength) {
        return false;
    }
    bool same = nameLength == 1 ? FoldChar(name[n]) == FoldChar(pattern[p])
                                : name.compare(n, 2, pattern, p, 2) == 0;
    return same && Matches(name, n + nameLength, pattern, p + patternLength);
}

// "*.*" matches every name, with or without a dot, and "x.*" matches "x" as well, as the
// platform's old wildcard rules have it.
bool MatchesPattern(const std::string& name, const std::string& pattern) {
    if (Matches(name, 0, pattern, 0)) {
        return true;
    }
    size_t size = pattern.size();
    return size >= 2 && pattern.compare(size - 2, 2, ".*") == 0 &&
           Matches(name, 0, pattern.substr(0, size - 2), 0);
}

FILETIME ToFiletime(const struct timespec& time) {
    // 100-nanosecond steps since 1601-01-01.
    uint64_t ticks = (static_cast<uint64_t>(time.tv_sec) + 11644473600ull) * 10000000ull +
                     static_cast<uint64_t>(time.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

void Fill(const Found& found, LPWIN32_FIND_DATAA data) {
    memset(data, 0, sizeof *data);
    data->dwFileAttributes = found.attributes;
    data->ftCreationTime = ToFiletime(found.st.st_mtim);
    data->ftLastAccessTime = ToFiletime(found.st.st_atim);
    data->ftLastWriteTime = ToFiletime(found.st.st_mtim);
    if (!S_ISDIR(found.st.st_mode)) {
        uint64_t size = static_cast<uint64_t>(found.st.st_size);
        data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data->nFileSizeLow = static_cast<DWORD>(size);
    }
    memcpy(data->cFileName, found.name.data(), found.name.size());
}

void AddIfMatching(const std::string& name, const std::string& host, const std::string& pattern,
                   std::vector<Found>* entries) {
    Found found;
    found.name = name;
    if (name.size() >= MAX_PATH || !MatchesPattern(name, pattern) ||
        !StatHost(host, &found.st)) {
        return;
    }
    found.attributes = AttributesOf(host, found.st);
    entries->push_back(found);
}

// Splits "folder\pattern" at its last separator, Shift-JIS-aware. A pattern without a folder
// is looked for in the current folder (of its drive, for "X:pattern").
void SplitPattern(const std::string& text, std::string* folder, std::string* pattern) {
    size_t last = std::string::npos;
    for (size_t at = 0; at < text.size();) {
        size_t length = Step(text, at);
        if (length == 1 && (text[at] == '\\' || text[at] == '/')) {
            last = at;
        }
        at += length;
    }
    if (last != std::string::npos) {
        *folder = text.substr(0, last + 1);
        *pattern = text.substr(last + 1);
    } else if (text.size() >= 2 && text[1] == ':') {
        *folder = text.substr(0, 2);
        *pattern = text.substr(2);
    } else {
        *folder = ".";
        *pattern = text;
    }
}

bool IsValidPattern(const std::string& pattern) {
    for (size_t at = 0; at < pattern.size();) {
        size_t length = Step(pattern, at);
        unsigned char c = static_cast<unsigned char>(pattern[at]);
        if (length == 1 && (c < 0x20 || std::strchr("<>:\"|", c) != nullptr)) {
            return false;
        }
        at += length;
    }
    return true;
}

}  // namespace

// Starts an enumeration of "folder\pattern" and gives its first entry. A missing folder gives
// ERROR_PATH_NOT_FOUND, a folder without matching entries ERROR_FILE_NOT_FOUND.
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    STANDIN_FAILABLE(INVALID_HANDLE_VALUE, ERROR_PATH_NOT_FOUND);
    if (pattern == nullptr || data == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    std::string text = pattern;
    size_t chars = 0;
    if (!SjisCharCount(text, &chars)) {
        return Fail(ERROR_INVALID_NAME);
    }
    if (chars > MAX_PATH) {
        return Fail(ERROR_FILENAME_EXCED_RANGE);
    }
    std::string folderText;
    std::string namePattern;
    SplitPattern(text, &folderText, &namePattern);
    WindowsPath folder;
    if (DWORD error = ParseWindowsPath(folderText.c_str(), &folder)) {
        return Fail(error);
    }
    size_t fullChars = 0;
    SjisCharCount(FormatWindowsPath(folder) + "\\" + namePattern, &fullChars);
    if (fullChars >= MAX_PATH) {
        return Fail(ERROR_PATH_NOT_FOUND);
    }
    if (!IsValidPattern(namePattern)) {
        return Fail(ERROR_INVALID_NAME);
    }
    HostLocation location = Locate(folder);
    if (location.error != 0) {
        return Fail(location.error);
    }
    if (!IsHostFolder(location.host)) {
        return Fail(ERROR_PATH_NOT_FOUND);
    }
    if (namePattern.empty()) {
        return Fail(ERROR_FILE_NOT_FOUND);
    }
    Enumeration enumeration{{}, 0};
    if (!folder.names.empty()) {
        AddIfMatching(".", location.host, namePattern, &enumeration.entries);
        std::string parent = location.host.substr(0, location.host.rfind('/'));
        AddIfMatching("..", parent, namePattern, &enumeration.entries);
    }
    DIR* dir = opendir(location.host.c_str());
    if (dir == nullptr) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            AddIfMatching(Utf8ToSjis(name), location.host + "/" + name, namePattern,
                          &enumeration.entries);
        }
    }
    closedir(dir);
    if (enumeration.entries.empty()) {
        return Fail(ERROR_FILE_NOT_FOUND);
    }
    Fill(enumeration.entries[0], data);
    enumeration.next = 1;
    int id = nextEnumeration++;
    enumerations[id] = enumeration;
    return AddHandle(HandleKind::Find, id);
}

// The next entry; ERROR_NO_MORE_FILES after the last.
BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data) {
    STANDIN_FAILABLE(FALSE, ERROR_NO_MORE_FILES);
    int id = 0;
    if (!LookupHandle(find, HandleKind::Find, &id)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Enumeration& enumeration = enumerations[id];
    if (enumeration.next >= enumeration.entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    Fill(enumeration.entries[enumeration.next++], data);
    return TRUE;
}

// Ends an enumeration; a file or mutex handle is not one (ERROR_INVALID_HANDLE).
BOOL FindClose(HANDLE find) {
    STANDIN_FAILABLE(FALSE, ERROR_INVALID_HANDLE);
    int id = 0;
    if (!LookupHandle(find, HandleKind::Find, &id)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    RemoveHandle(find);
    enumerations.erase(id);
    return TRUE;
}

namespace standin::internal {

void ResetFinds() {
    enumerations.clear();
    nextEnumeration = 1;
}

}  // namespace standin::internal
