// Raising the updater's message boxes: always modal, without an owner window, with one of two
// styles. Formatted texts go through the one process-wide message buffer.
#pragma once

#include <cstddef>

// Holds the longest formatted text (the first confirmation, under 300 bytes) with room to spare.
const size_t kMessageBufferSize = 512;
extern char MessageBuffer[kMessageBufferSize];

// Writes `pattern` into `out` with each "%s" replaced by the next fill, in order (a missing fill
// counts as empty). Every other byte, 0x5C and '%' included, is copied as it is. Returns 1 when
// the whole text fit; otherwise `out` holds an empty text and the result is 0.
int FormatText(char* out, size_t outSize, const char* pattern, const char* fill1 = nullptr,
               const char* fill2 = nullptr);

// An MB_OK notice: one button, no icon. The result of the box is of no interest.
void ShowNotice(const char* text, const char* caption);

// Formats `pattern` into the message buffer, then shows it as a notice.
void ShowFormattedNotice(const char* pattern, const char* caption, const char* fill1 = nullptr,
                         const char* fill2 = nullptr);

// A Yes/No question with the information icon. Returns what the box returned: IDYES, IDNO, or
// 0 when it could not be shown.
int AskYesNo(const char* text, const char* caption);
