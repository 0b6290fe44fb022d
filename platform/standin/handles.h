// The one table of the updater's kernel handles: open files, find operations and mutexes.
#pragma once

#include "platform/standin/win32_api.h"

namespace standin::internal {

enum class HandleKind { File, Find, Mutex };

// A new handle for the object numbered `object` of the given kind; never NULL nor
// INVALID_HANDLE_VALUE, never reused until Reset.
HANDLE AddHandle(HandleKind kind, int object);
// The object behind `handle` when it is an open handle of `kind`.
bool LookupHandle(HANDLE handle, HandleKind kind, int* object);
void RemoveHandle(HANDLE handle);

}  // namespace standin::internal
