// Whole-file operations by name: CopyFileA, MoveFileExA, DeleteFileA.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/standin/attributes.h"
#include "platform/standin/control.h"
#include "platform/standin/faults.h"
#include "platform/standin/open_files.h"
#include "platform/standin/paths.h"
#include "platform/standin/reset.h"

namespace {

using namespace standin::internal;

bool partwayArmed = false;
std::string partwayPath;
size_t partwayBytes = 0;

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool IsReadOnly(const std::string& host, const struct stat& st) {
    return (AttributesOf(host, st) & FILE_ATTRIBUTE_READONLY) != 0;
}

// Whether the armed part-way failure applies to a copy onto `destination`; it fires once.
bool TakePartwayFailure(const std::string& destination) {
    if (!partwayArmed) {
        return false;
    }
    if (!partwayPath.empty()) {
        HostLocation target = LocatePath(partwayPath.c_str());
        if (target.error != 0 || target.host != destination) {
            return false;
        }
    }
    partwayArmed = false;
    return true;
}

bool ReadHostFile(const std::string& host, std::string* bytes) {
    int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bytes->clear();
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            close(fd);
            return false;
        }
        bytes->append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return true;
}

// Writes the destination in place, as the platform's copy does: an existing file is truncated
// and refilled, never replaced by another file.
DWORD WriteInPlace(const std::string& host, const std::string& bytes) {
    int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return ErrorFromErrno(errno);
    }
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put < 0) {
            int error = errno;
            close(fd);
            return error == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
        }
        done += static_cast<size_t>(put);
    }
    close(fd);
    return 0;
}

// Windows refuses to overwrite a hidden or system file with a copy that lacks the attribute.
bool KeepsHiddenOrSystem(DWORD source, DWORD destination) {
    DWORD kept = destination & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    return (kept & ~source) == 0;
}

}  // namespace

// Copies a file's bytes and attributes (and its write time) onto `newName`. The source is read
// as by an open for reading sharing only reading and deletion; the destination is written as
// by an exclusive open for writing.
BOOL CopyFileA(LPCSTR existing, LPCSTR newName, BOOL failIfExists) {
    STANDIN_FAILABLE(FALSE, ERROR_ACCESS_DENIED);
    HostLocation source;
    struct stat sourceStat;
    if (!StatExisting(existing, &source, &sourceStat)) {
        return FALSE;
    }
    if (S_ISDIR(sourceStat.st_mode)) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    if (!SharingAllows(sourceStat, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE)) {
        return Fail(ERROR_SHARING_VIOLATION);
    }
    HostLocation destination = LocatePath(newName);
    if (destination.error != 0) {
        return Fail(destination.error);
    }
    if (!destination.parentFound) {
        return Fail(ERROR_PATH_NOT_FOUND);
    }
    if (destination.trailingSeparator) {
        return Fail(ERROR_INVALID_NAME);
    }
    DWORD sourceAttributes = AttributesOf(source.host, sourceStat);
    struct stat destinationStat;
    if (StatHost(destination.host, &destinationStat)) {
        if (failIfExists) {
            return Fail(ERROR_FILE_EXISTS);
        }
        if (S_ISDIR(destinationStat.st_mode) || IsReadOnly(destination.host, destinationStat) ||
            !KeepsHiddenOrSystem(sourceAttributes, AttributesOf(destination.host, destinationStat))) {
            return Fail(ERROR_ACCESS_DENIED);
        }
        // The copy holds the source open while it opens the destination exclusively.
        if (SameFile(sourceStat, destinationStat) ||
            !SharingAllows(destinationStat, GENERIC_READ | GENERIC_WRITE, 0)) {
            return Fail(ERROR_SHARING_VIOLATION);
        }
    }
    std::string bytes;
    if (!ReadHostFile(source.host, &bytes)) {
        return Fail(ERROR_READ_FAULT);
    }
    bool partway = TakePartwayFailure(destination.host);
    if (partway && bytes.size() > partwayBytes) {
        bytes.resize(partwayBytes);
    }
    if (DWORD error = WriteInPlace(destination.host, bytes)) {
        return Fail(error);
    }
    if (partway) {
        return Fail(ERROR_DISK_FULL);
    }
    StoreAttributes(destination.host, sourceAttributes | FILE_ATTRIBUTE_ARCHIVE);
    struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
    utimensat(AT_FDCWD, destination.host.c_str(), times, 0);
    return TRUE;
}

// Renames a file or folder within its drive. With MOVEFILE_REPLACE_EXISTING an existing file
// destination is replaced in one step (a host rename); a folder destination never is.
BOOL MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags) {
    STANDIN_FAILABLE(FALSE, ERROR_ACCESS_DENIED);
    if ((flags & ~(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) != 0) {
        return Fail(ERROR_INVALID_PARAMETER);  // copying across drives and reboots: not modelled
    }
    HostLocation source;
    struct stat sourceStat;
    if (!StatExisting(existing, &source, &sourceStat)) {
        return FALSE;
    }
    HostLocation destination = LocatePath(newName);
    if (destination.error != 0) {
        return Fail(destination.error);
    }
    if (!destination.parentFound) {
        return Fail(ERROR_PATH_NOT_FOUND);
    }
    if (destination.drive != source.drive) {
        return Fail(ERROR_NOT_SAME_DEVICE);
    }
    std::string target = destination.host;
    struct stat destinationStat;
    if (StatHost(destination.host, &destinationStat)) {
        if (SameFile(sourceStat, destinationStat)) {
            // A new spelling of the same name: only the case of the name changes.
            target = destination.host.substr(0, destination.host.rfind('/') + 1) +
                     destination.lastName;
        } else {
            if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) {
                return Fail(ERROR_ALREADY_EXISTS);
            }
            if (S_ISDIR(sourceStat.st_mode) || S_ISDIR(destinationStat.st_mode) ||
                IsReadOnly(destination.host, destinationStat)) {
                return Fail(ERROR_ACCESS_DENIED);
            }
            if (!SharingAllows(destinationStat, kDeleteAccess, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                                                   FILE_SHARE_DELETE)) {
                return Fail(ERROR_SHARING_VIOLATION);
            }
        }
    }
    if (!SharingAllows(sourceStat, kDeleteAccess,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) {
        return Fail(ERROR_SHARING_VIOLATION);
    }
    if (rename(source.host.c_str(), target.c_str()) != 0) {
        return Fail(ErrorFromErrno(errno));
    }
    MoveAttributes(source.host, target);
    return TRUE;
}

// Deletes a file; folders, read-only files and files open without FILE_SHARE_DELETE stay.
BOOL DeleteFileA(LPCSTR path) {
    STANDIN_FAILABLE(FALSE, ERROR_ACCESS_DENIED);
    HostLocation location;
    struct stat st;
    if (!StatExisting(path, &location, &st)) {
        return FALSE;
    }
    if (S_ISDIR(st.st_mode) || IsReadOnly(location.host, st)) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    if (!SharingAllows(st, kDeleteAccess, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) {
        return Fail(ERROR_SHARING_VIOLATION);
    }
    if (unlink(location.host.c_str()) != 0) {
        return Fail(ErrorFromErrno(errno));
    }
    ForgetAttributes(location.host);
    return TRUE;
}

namespace standin::internal {

void ResetCopyFaults() {
    partwayArmed = false;
    partwayPath.clear();
    partwayBytes = 0;
}

}  // namespace standin::internal

namespace standin {

void FailCopyPartway(const std::string& windowsPath, size_t bytesWritten) {
    partwayArmed = true;
    partwayPath = windowsPath;
    partwayBytes = bytesWritten;
}

}  // namespace standin
