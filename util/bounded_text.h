// Copy and append with the destination's capacity always given. A text that would not fit is a
// failure, never a truncation: the destination is then left exactly as it was.
#pragma once

#include <cstddef>

// Copies `source` into `dest` (capacity `destSize` bytes, terminator included). 1 on success.
int CopyText(char* dest, size_t destSize, const char* source);

// Appends `tail` to the text already in `dest`. 1 on success.
int AppendText(char* dest, size_t destSize, const char* tail);

// `dest` = `head` followed directly by `tail`, no separator added or removed. 1 on success;
// on failure `dest` holds an empty text, so a half-built path can never be used.
int ComposePath(char* dest, size_t destSize, const char* head, const char* tail);
