// Opening, reading and writing files through handles: CreateFileA, ReadFile, WriteFile,
// FlushFileBuffers. CloseHandle lives with the handle table.
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/standin/attributes.h"
#include "platform/standin/faults.h"
#include "platform/standin/handles.h"
#include "platform/standin/open_files.h"
#include "platform/standin/paths.h"

namespace {

using namespace standin::internal;

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

// Attributes a new or recreated file takes from CreateFileA's flags.
constexpr DWORD kCreationAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

int HostOpenFlags(DWORD access) { return (CanWrite(access) ? O_RDWR : O_RDONLY) | O_CLOEXEC; }

// The open file behind a file handle, or nullptr with ERROR_INVALID_HANDLE set.
OpenFile* FileOfHandle(HANDLE handle) {
    int id = 0;
    OpenFile* open = LookupHandle(handle, HandleKind::File, &id) ? FindOpenFile(id) : nullptr;
    if (open == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
    }
    return open;
}

HANDLE CreateNewFile(const HostLocation& location, DWORD access, DWORD share, DWORD flags) {
    int fd = open(location.host.c_str(), HostOpenFlags(access) | O_CREAT | O_EXCL, 0666);
    if (fd < 0) {
        return Fail(ErrorFromErrno(errno));
    }
    struct stat st;
    fstat(fd, &st);
    StoreAttributes(location.host, (flags & kCreationAttributes) | FILE_ATTRIBUTE_ARCHIVE);
    HANDLE handle = AddHandle(HandleKind::File, AddOpenFile(fd, st, access, share, false));
    SetLastError(0);
    return handle;
}

HANDLE OpenExistingFile(const HostLocation& location, const struct stat& st, DWORD access,
                        DWORD share, DWORD disposition, DWORD flags) {
    DWORD attributes = AttributesOf(location.host, st);
    bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0 && (CanWrite(access) || truncates)) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    // Recreating a hidden or system file must name those attributes again.
    DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (disposition == CREATE_ALWAYS && (kept & ~flags) != 0) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    if (!SharingAllows(st, access, share)) {
        return Fail(ERROR_SHARING_VIOLATION);
    }
    // Truncation needs no write access on the handle (CREATE_ALWAYS with GENERIC_READ works).
    if (truncates && truncate(location.host.c_str(), 0) != 0) {
        return Fail(ErrorFromErrno(errno));
    }
    int fd = open(location.host.c_str(), HostOpenFlags(access));
    if (fd < 0) {
        return Fail(ErrorFromErrno(errno));
    }
    if (disposition == CREATE_ALWAYS) {
        StoreAttributes(location.host, (attributes & kStoredAttributes) |
                                           (flags & kCreationAttributes) | FILE_ATTRIBUTE_ARCHIVE);
    }
    HANDLE handle = AddHandle(HandleKind::File, AddOpenFile(fd, st, access, share, false));
    bool reportsExisting = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
    SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : 0);
    return handle;
}

}  // namespace

// Opens or creates a file (never a folder) with the five dispositions; the read-only
// attribute and the share modes of every other open of the file are enforced. On success the
// last error is ERROR_ALREADY_EXISTS when CREATE_ALWAYS or OPEN_ALWAYS found the file, else 0.
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD disposition, DWORD flags, HANDLE) {
    STANDIN_FAILABLE(INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED);
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING ||
        (disposition == TRUNCATE_EXISTING && !CanWrite(access))) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    HostLocation location = LocatePath(path);
    if (location.error != 0) {
        return Fail(location.error);
    }
    struct stat st;
    if (StatHost(location.host, &st)) {
        if (S_ISDIR(st.st_mode)) {
            return Fail(ERROR_ACCESS_DENIED);
        }
        if (location.trailingSeparator) {
            return Fail(ERROR_INVALID_NAME);
        }
        if (disposition == CREATE_NEW) {
            return Fail(ERROR_FILE_EXISTS);
        }
        return OpenExistingFile(location, st, access, shareMode, disposition, flags);
    }
    if (!location.parentFound) {
        return Fail(ERROR_PATH_NOT_FOUND);
    }
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
        return Fail(ERROR_FILE_NOT_FOUND);
    }
    if (location.trailingSeparator) {
        return Fail(ERROR_INVALID_NAME);
    }
    return CreateNewFile(location, access, shareMode, flags);
}

// What ReadFile, WriteFile and FlushFileBuffers check first: a file handle opened with the access the transfer
// needs, a buffer for a nonzero count, no overlapped I/O. Zeroes the count done.
static OpenFile* FileForTransfer(HANDLE file, bool (*allowed)(DWORD access), const void* buffer,
                                 DWORD count, LPDWORD done, LPOVERLAPPED overlapped) {
    if (done != nullptr) {
        *done = 0;
    }
    OpenFile* open = FileOfHandle(file);
    if (open == nullptr) {
        return nullptr;
    }
    if (!allowed(open->access)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (overlapped != nullptr || (buffer == nullptr && count > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return open;
}

// Reads from the file position; at the end of the file it succeeds with 0 bytes.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
    STANDIN_FAILABLE(FALSE, ERROR_READ_FAULT);
    OpenFile* open = FileForTransfer(file, CanRead, buffer, toRead, read, overlapped);
    if (open == nullptr) {
        return FALSE;
    }
    DWORD total = 0;
    while (total < toRead) {
        ssize_t got = ::read(open->fd, static_cast<char*>(buffer) + total, toRead - total);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            SetLastError(ERROR_READ_FAULT);
            return FALSE;
        }
        if (got == 0) {
            break;
        }
        total += static_cast<DWORD>(got);
    }
    if (read != nullptr) {
        *read = total;
    }
    return TRUE;
}

// Writes at the file position; a full host disk fails with ERROR_DISK_FULL.
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written,
               LPOVERLAPPED overlapped) {
    STANDIN_FAILABLE(FALSE, ERROR_WRITE_FAULT);
    OpenFile* open = FileForTransfer(file, CanWrite, buffer, toWrite, written, overlapped);
    if (open == nullptr) {
        return FALSE;
    }
    DWORD total = 0;
    while (total < toWrite) {
        ssize_t put = ::write(open->fd, static_cast<const char*>(buffer) + total, toWrite - total);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put < 0) {
            SetLastError(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
            if (written != nullptr) {
                *written = total;
            }
            return FALSE;
        }
        total += static_cast<DWORD>(put);
    }
    if (written != nullptr) {
        *written = total;
    }
    return TRUE;
}

// Needs a handle opened for writing, as on Windows. Nothing to do on the host: the tests
// never lose power.
BOOL FlushFileBuffers(HANDLE file) {
    STANDIN_FAILABLE(FALSE, ERROR_WRITE_FAULT);
    return FileForTransfer(file, CanWrite, nullptr, 0, nullptr, nullptr) != nullptr ? TRUE : FALSE;
}
