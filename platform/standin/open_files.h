// Every open of a file, the updater's handles and those held by tests alike, and the sharing
// rule between them.
#pragma once

#include <sys/stat.h>

#include "platform/standin/win32_api.h"

namespace standin::internal {

// The access a deletion or rename asks for; it conflicts with opens lacking FILE_SHARE_DELETE.
constexpr DWORD kDeleteAccess = 0x00010000u;

struct OpenFile {
    int fd;
    dev_t device;
    ino_t inode;
    DWORD access;
    DWORD share;
    bool heldByTest;
};

// The Windows rule: the new open's access must be allowed by every open's share mode, and
// every open's access by the new share mode.
bool SharingAllows(const struct stat& file, DWORD access, DWORD share);
bool CanRead(DWORD access);
bool CanWrite(DWORD access);
// Takes ownership of `fd`; returns the open's number.
int AddOpenFile(int fd, const struct stat& file, DWORD access, DWORD share, bool heldByTest);
OpenFile* FindOpenFile(int id);
void CloseOpenFile(int id);

}  // namespace standin::internal
