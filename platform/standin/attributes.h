// The attributes the host cannot hold (read-only, hidden, system, archive), kept per host path.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/standin/win32_api.h"

namespace standin::internal {

constexpr DWORD kStoredAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

// The attribute word of an existing host entry: the folder bit from the host and the stored
// bits; a file without any is FILE_ATTRIBUTE_NORMAL. A file nobody set attributes on has
// FILE_ATTRIBUTE_ARCHIVE, as a newly written file has on Windows.
DWORD AttributesOf(const std::string& host, const struct stat& st);
// INVALID_FILE_ATTRIBUTES when the entry does not exist.
DWORD AttributesOf(const std::string& host);
// Keeps the kStoredAttributes bits of `attributes` for the entry.
void StoreAttributes(const std::string& host, DWORD attributes);
void ForgetAttributes(const std::string& host);
// The entry (and what lies below it) was renamed.
void MoveAttributes(const std::string& from, const std::string& to);

}  // namespace standin::internal
