// The process heap over malloc, with every block counted so tests can see leaks.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/standin/control.h"
#include "platform/standin/faults.h"
#include "platform/standin/reset.h"

namespace {

const HANDLE kProcessHeap = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x00500000));
std::map<void*, SIZE_T> blocks;

}  // namespace

HANDLE GetProcessHeap() {
    STANDIN_FAILABLE(static_cast<HANDLE>(nullptr), ERROR_NOT_ENOUGH_MEMORY);
    return kProcessHeap;
}

// A zero-byte block is a real, distinct block, as on Windows.
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    STANDIN_FAILABLE(static_cast<LPVOID>(nullptr), ERROR_NOT_ENOUGH_MEMORY);
    if (heap != kProcessHeap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* block = malloc(bytes != 0 ? bytes : 1);
    if (block == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if ((flags & HEAP_ZERO_MEMORY) != 0) {
        memset(block, 0, bytes);
    }
    blocks[block] = bytes;
    return block;
}

// Freeing NULL succeeds; a block this heap did not give (or gave and took back) fails instead
// of corrupting anything, so a double free shows as a FALSE result.
BOOL HeapFree(HANDLE heap, DWORD, LPVOID block) {
    STANDIN_FAILABLE(FALSE, ERROR_INVALID_PARAMETER);
    if (heap != kProcessHeap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (block == nullptr) {
        return TRUE;
    }
    auto found = blocks.find(block);
    if (found == blocks.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    blocks.erase(found);
    free(block);
    return TRUE;
}

namespace standin::internal {

// Blocks a test left behind are freed, so one test's leak is not the next one's count.
void ResetHeap() {
    for (const auto& [block, bytes] : blocks) {
        free(block);
    }
    blocks.clear();
}

}  // namespace standin::internal

namespace standin {

long HeapBlocksOutstanding() { return static_cast<long>(blocks.size()); }

long HeapBytesOutstanding() {
    long total = 0;
    for (const auto& [block, bytes] : blocks) {
        total += static_cast<long>(bytes);
    }
    return total;
}

}  // namespace standin
