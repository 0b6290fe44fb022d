// One handle table for files, find operations and mutexes; CloseHandle dispatches from it.
#include "platform/standin/handles.h"

#include <cstdint>
#include <map>

#include "platform/standin/control.h"
#include "platform/standin/faults.h"
#include "platform/standin/objects.h"
#include "platform/standin/open_files.h"
#include "platform/standin/reset.h"

namespace {

struct HandleEntry {
    standin::internal::HandleKind kind;
    int object;
};

// Handle values step by 4 from 0x100, as the platform's do; they are never reused within a
// test, so a stale handle stays stale.
constexpr uintptr_t kFirstHandle = 0x100;
uintptr_t nextHandle = kFirstHandle;
std::map<uintptr_t, HandleEntry> handles;

}  // namespace

namespace standin::internal {

HANDLE AddHandle(HandleKind kind, int object) {
    uintptr_t value = nextHandle;
    nextHandle += 4;
    handles[value] = HandleEntry{kind, object};
    return reinterpret_cast<HANDLE>(value);
}

bool LookupHandle(HANDLE handle, HandleKind kind, int* object) {
    auto found = handles.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles.end() || found->second.kind != kind) {
        return false;
    }
    *object = found->second.object;
    return true;
}

void RemoveHandle(HANDLE handle) { handles.erase(reinterpret_cast<uintptr_t>(handle)); }

void ResetHandles() {
    handles.clear();
    nextHandle = kFirstHandle;
}

}  // namespace standin::internal

// Closes a file or mutex handle. A find handle is closed by FindClose only, as on Windows.
BOOL CloseHandle(HANDLE handle) {
    using namespace standin::internal;
    STANDIN_FAILABLE(FALSE, ERROR_INVALID_HANDLE);
    auto found = handles.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles.end() || found->second.kind == HandleKind::Find) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    HandleEntry entry = found->second;
    handles.erase(found);
    if (entry.kind == HandleKind::File) {
        CloseOpenFile(entry.object);
    } else {
        ReleaseObjectReference(entry.object);
    }
    return TRUE;
}

namespace standin {

int OpenHandleCount() { return static_cast<int>(handles.size()); }

}  // namespace standin
