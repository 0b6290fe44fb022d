#include "app/message_box.h"

#include <cstring>

#include "platform/win32.h"

char MessageBuffer[kMessageBufferSize];

int FormatText(char* out, size_t outSize, const char* pattern, const char* fill1,
               const char* fill2) {
    if (outSize == 0) {
        return 0;
    }
    const char* fills[2] = {fill1, fill2};
    int nextFill = 0;
    size_t used = 0;
    for (const char* cursor = pattern; *cursor != '\0'; ++cursor) {
        const char* piece = cursor;
        size_t length = 1;
        if (cursor[0] == '%' && cursor[1] == 's') {
            piece = nextFill < 2 && fills[nextFill] != nullptr ? fills[nextFill] : "";
            length = strlen(piece);
            ++nextFill;
            ++cursor;
        }
        if (length >= outSize - used) {
            out[0] = '\0';
            return 0;
        }
        memcpy(out + used, piece, length);
        used += length;
    }
    out[used] = '\0';
    return 1;
}

void ShowNotice(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_OK);
}

void ShowFormattedNotice(const char* pattern, const char* caption, const char* fill1,
                         const char* fill2) {
    FormatText(MessageBuffer, sizeof MessageBuffer, pattern, fill1, fill2);
    ShowNotice(MessageBuffer, caption);
}

int AskYesNo(const char* text, const char* caption) {
    return MessageBoxA(nullptr, text, caption, MB_YESNO | MB_ICONINFORMATION);
}
