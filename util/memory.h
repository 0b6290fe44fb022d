// Blocks from the process heap. A block from AllocZeroed belongs to the caller, who gives it back
// with ReleaseBlock.
#pragma once

#include <cstddef>

// A block of `size` bytes, every byte 0, or null when the heap cannot supply it.
void* AllocZeroed(size_t size);

// Gives a block back to the heap; null is allowed and does nothing.
void ReleaseBlock(void* block);
