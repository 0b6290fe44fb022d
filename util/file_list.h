// Lists the files directly inside one folder whose names end in one of a few suffixes.
#pragma once

#include <cstdint>

const int kFileListRootSize = 261;       // 260 bytes of text and the terminator
const int kFileListMaxFilters = 16;
const int kFileListFilterSize = 8;       // 7 bytes of text and the terminator
const int kFileListResultSize = 262;     // each result block: 261 bytes of text and the terminator

// The request and its results travel in one record; the caller fills the first five fields.
struct FileListRequest {
    char root[kFileListRootSize];                           // folder to list; may end in '\'
    char filters[kFileListMaxFilters][kFileListFilterSize];  // name suffixes, ASCII case ignored
    int8_t filterCount;                                     // filters in use, 0 to 16
    int32_t maxResults;                                     // most results to collect
    uint8_t sortResults;                                    // nonzero: sort by unsigned bytes
    char** results;        // on success: room for maxResults paths, the first resultCount set
    int32_t resultCount;
};

// Fills `results` and `resultCount` and returns 0; a folder that cannot be read simply gives no
// results. Each result is the folder, one backslash and the file name, lower-cased in ASCII
// with slashes turned into backslashes. On success the caller owns the array and every path
// in it (ReleaseFileList). Returns -1, leaving the record as it was, when memory runs out.
int8_t ListFiles(FileListRequest& request);

// Gives back the results array of a successful ListFiles and every path in it.
void ReleaseFileList(FileListRequest& request);
