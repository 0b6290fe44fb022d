#include "app/file_replace.h"

#include <cstring>

#include "platform/win32.h"
#include "util/bounded_text.h"
#include "util/sjis.h"

namespace {

// No longer than any of the names it stands in for, so the temporary's path fits wherever the
// destination's does.
const char kTemporaryName[] = "~u.tmp";

// The temporary lies in the destination's folder, so the final rename stays on one volume.
bool ComposeTemporaryPath(char* temporary, size_t size, const char* destination) {
    size_t folderLength = static_cast<size_t>(SjisAfterLastSeparator(destination) - destination);
    if (folderLength >= size) {
        return false;
    }
    memcpy(temporary, destination, folderLength);
    temporary[folderLength] = '\0';
    return AppendText(temporary, size, kTemporaryName) != 0;
}

// A temporary file may carry the source's read-only attribute; clear it so it can go.
void DiscardTemporary(const char* temporary) {
    if (GetFileAttributesA(temporary) != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesA(temporary, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(temporary);
    }
}

bool DestinationWritable(const char* destination) {
    DWORD attributes = GetFileAttributesA(destination);
    return attributes == INVALID_FILE_ATTRIBUTES ||
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

// The rename must not publish a file whose bytes are still only in the cache. A temporary that
// cannot be opened for writing (it took a read-only attribute from its source) is moved as
// copied; a flush that fails is a failed copy.
bool FlushToDisk(const char* temporary) {
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return true;
    }
    bool flushed = FlushFileBuffers(file) != FALSE;
    CloseHandle(file);
    return flushed;
}

}  // namespace

int ReplaceFileAtomically(const char* source, const char* destination) {
    char temporary[MAX_PATH + 1];
    if (!ComposeTemporaryPath(temporary, sizeof temporary, destination) ||
        !DestinationWritable(destination)) {
        return 0;
    }
    DiscardTemporary(temporary);  // left over from an interrupted run
    if (CopyFileA(source, temporary, FALSE) && FlushToDisk(temporary) &&
        MoveFileExA(temporary, destination, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return 1;
    }
    DiscardTemporary(temporary);
    return 0;
}
