#include "util/memory.h"

#include <cstring>

#include "platform/win32.h"

void* AllocZeroed(size_t size) {
    void* block = HeapAlloc(GetProcessHeap(), 0, size);
    if (block != nullptr) {
        memset(block, 0, size);
    }
    return block;
}

void ReleaseBlock(void* block) {
    if (block != nullptr) {
        HeapFree(GetProcessHeap(), 0, block);
    }
}
