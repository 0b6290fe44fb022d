#include "util/bounded_text.h"

#include <cstring>

int CopyText(char* dest, size_t destSize, const char* source) {
    size_t length = strlen(source);
    if (length >= destSize) {
        return 0;
    }
    memcpy(dest, source, length + 1);
    return 1;
}

int AppendText(char* dest, size_t destSize, const char* tail) {
    size_t used = strnlen(dest, destSize);
    if (used >= destSize) {
        return 0;  // not even terminated within its capacity
    }
    return CopyText(dest + used, destSize - used, tail);
}

int ComposePath(char* dest, size_t destSize, const char* head, const char* tail) {
    if (destSize == 0) {
        return 0;
    }
    if (CopyText(dest, destSize, head) && AppendText(dest, destSize, tail)) {
        return 1;
    }
    dest[0] = '\0';
    return 0;
}
