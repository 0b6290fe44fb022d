// Shift-JIS (code page 932) aware text operations. A lead byte and the byte after it form one
// character, so a trail byte that looks like 'A', '/' or '\' is never taken for one.
#pragma once

// True for the lead bytes 0x81-0x9F and 0xE0-0xFC, from the program's own table: the answer
// does not depend on the system's code page.
bool SjisIsLeadByte(unsigned char byte);

// Lower-cases the single-byte ASCII capitals of `text` in place.
void SjisLowerAscii(char* text);

// Overwrites each single-byte `find` in `text` with `replacement`, in place.
void SjisReplaceChar(char* text, char find, char replacement);

// The position just after the last single-byte '\' or '/' of `text`, or `text` itself when it
// has none: where the last name of a path begins.
const char* SjisAfterLastSeparator(const char* text);

// 1 when `text` ends with `suffix`, ignoring the case of ASCII letters byte by byte, else 0.
unsigned char EndsWithNoCase(const char* text, const char* suffix);
