#include "util/file_list.h"

#include <cstring>

#include "platform/win32.h"
#include "util/bounded_text.h"
#include "util/memory.h"
#include "util/sjis.h"

namespace {

const int kFolderListEntries = 1000;
// The folder prefix is the folder and one backslash; the pattern adds "*.*".
const size_t kPrefixSize = kFileListResultSize + 1;
const size_t kPatternSize = kPrefixSize + 3;

struct Listing {
    char** results;
    int32_t count;
    int32_t capacity;
};

void ReleasePaths(char** paths, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        ReleaseBlock(paths[i]);
    }
    ReleaseBlock(paths);
}

bool IsDotEntry(const char* name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

bool MatchesAFilter(const FileListRequest& request, const char* name) {
    int count = request.filterCount < kFileListMaxFilters ? request.filterCount : kFileListMaxFilters;
    for (int i = 0; i < count; ++i) {
        // A filter field need not be terminated within its 8 bytes; read it bounded.
        char filter[kFileListFilterSize + 1];
        memcpy(filter, request.filters[i], kFileListFilterSize);
        filter[kFileListFilterSize] = '\0';
        if (EndsWithNoCase(name, filter)) {
            return true;
        }
    }
    return false;
}

// A prefix that begins with "./" or ".\" is left out of the results: "." lists bare names.
const char* VisiblePrefix(const char* prefix) {
    if (prefix[0] == '.' && (prefix[1] == '/' || prefix[1] == '\\')) {
        return prefix + 2;
    }
    return prefix;
}

// Adds prefix + name as a new result. Returns 1 when added, 0 when the path would not fit its
// block (the file is left out: it is never cut short), -1 when memory runs out.
int AddResult(Listing& listing, const char* prefix, const char* name) {
    char* path = static_cast<char*>(AllocZeroed(kFileListResultSize));
    if (path == nullptr) {
        return -1;
    }
    if (!ComposePath(path, kFileListResultSize, VisiblePrefix(prefix), name)) {
        ReleaseBlock(path);
        return 0;
    }
    SjisLowerAscii(path);
    SjisReplaceChar(path, '/', '\\');
    listing.results[listing.count++] = path;
    return 1;
}

// Lists one folder into `listing`. Returns 0, or -1 when memory runs out.
int ListFolder(const FileListRequest& request, const char* folder, Listing& listing) {
    char prefix[kPrefixSize];
    char pattern[kPatternSize];
    // Both always fit: the folder is at most 261 bytes of text.
    if (!ComposePath(prefix, sizeof prefix, folder, "\\") ||
        !ComposePath(pattern, sizeof pattern, prefix, "*.*")) {
        return 0;
    }
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;  // a folder that is missing or cannot be read gives no results
    }
    int status = 0;
    do {
        // cFileName is terminated by the platform; keep a bounded copy all the same.
        char name[MAX_PATH + 1];
        memcpy(name, entry.cFileName, MAX_PATH);
        name[MAX_PATH] = '\0';
        if (IsDotEntry(name) || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            !MatchesAFilter(request, name)) {
            continue;
        }
        if (listing.count >= listing.capacity) {
            break;
        }
        if (AddResult(listing, prefix, name) < 0) {
            status = -1;
            break;
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return status;
}

int ComparePaths(const char* left, const char* right) {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(left);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(right);
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return static_cast<int>(*a) - static_cast<int>(*b);
}

// Exchange sort: stable enough for equal paths, which are never exchanged.
void SortPaths(char** paths, int32_t count) {
    for (int32_t i = 0; i + 1 < count; ++i) {
        for (int32_t j = i + 1; j < count; ++j) {
            if (ComparePaths(paths[i], paths[j]) > 0) {
                char* held = paths[i];
                paths[i] = paths[j];
                paths[j] = held;
            }
        }
    }
}

}  // namespace

int8_t ListFiles(FileListRequest& request) {
    char** folders = static_cast<char**>(AllocZeroed(kFolderListEntries * sizeof(char*)));
    if (folders == nullptr) {
        return -1;
    }
    Listing listing = {nullptr, 0, request.maxResults > 0 ? request.maxResults : 0};
    const size_t arrayBytes = static_cast<size_t>(listing.capacity) * sizeof(char*);
    if (arrayBytes / sizeof(char*) == static_cast<size_t>(listing.capacity)) {
        listing.results = static_cast<char**>(AllocZeroed(arrayBytes));
    }
    if (listing.results == nullptr) {
        ReleaseBlock(folders);
        return -1;
    }

    // Only the root is ever listed: sub-folders are neither listed nor entered.
    int status = -1;
    folders[0] = static_cast<char*>(AllocZeroed(kFileListResultSize));
    if (folders[0] != nullptr) {
        memcpy(folders[0], request.root, kFileListRootSize);
        folders[0][kFileListRootSize - 1] = '\0';
        status = ListFolder(request, folders[0], listing);
    }
    ReleasePaths(folders, kFolderListEntries);

    if (status != 0) {
        ReleasePaths(listing.results, listing.count);
        return -1;
    }
    if (request.sortResults != 0) {
        SortPaths(listing.results, listing.count);
    }
    request.results = listing.results;
    request.resultCount = listing.count;
    return 0;
}

void ReleaseFileList(FileListRequest& request) {
    if (request.results != nullptr) {
        ReleasePaths(request.results, request.resultCount);
    }
    request.results = nullptr;
    request.resultCount = 0;
}
