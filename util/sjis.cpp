#include "util/sjis.h"

#include <cstring>

namespace {

// One flag per byte value: 1 for a Shift-JIS lead byte (0x81-0x9F, 0xE0-0xFC).
const unsigned char kLeadByteTable[256] = {
    // 0x00-0x7F: ASCII and control bytes
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x00
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x10
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x20
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x30
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x40
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x50
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x60
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0x70
    0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0x80: 0x80 is single, 0x81- lead
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0x90
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xA0: half-width katakana
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xB0
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xC0
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 0xD0
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,  // 0xE0
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0,  // 0xF0: 0xFD-0xFF are single
};

bool IsAsciiCapital(unsigned char byte) { return byte >= 'A' && byte <= 'Z'; }

unsigned char FoldAscii(unsigned char byte) {
    return IsAsciiCapital(byte) ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

// Calls `apply` on every single-byte character of `text`; double-byte characters are passed
// over whole, and a lead byte right before the terminator ends the scan.
template <typename Operation>
void ForEachSingleByte(char* text, Operation apply) {
    unsigned char* cursor = reinterpret_cast<unsigned char*>(text);
    while (*cursor != 0) {
        if (SjisIsLeadByte(*cursor)) {
            if (cursor[1] == 0) {
                return;
            }
            cursor += 2;
            continue;
        }
        apply(cursor);
        ++cursor;
    }
}

}  // namespace

bool SjisIsLeadByte(unsigned char byte) { return kLeadByteTable[byte] != 0; }

void SjisLowerAscii(char* text) {
    ForEachSingleByte(text, [](unsigned char* byte) { *byte = FoldAscii(*byte); });
}

void SjisReplaceChar(char* text, char find, char replacement) {
    const unsigned char target = static_cast<unsigned char>(find);
    const unsigned char value = static_cast<unsigned char>(replacement);
    ForEachSingleByte(text, [target, value](unsigned char* byte) {
        if (*byte == target) {
            *byte = value;
        }
    });
}

const char* SjisAfterLastSeparator(const char* text) {
    const char* nameStart = text;
    ForEachSingleByte(const_cast<char*>(text), [&nameStart](unsigned char* byte) {
        if (*byte == '\\' || *byte == '/') {
            nameStart = reinterpret_cast<const char*>(byte + 1);
        }
    });
    return nameStart;
}

unsigned char EndsWithNoCase(const char* text, const char* suffix) {
    size_t textLength = strlen(text);
    size_t suffixLength = strlen(suffix);
    if (textLength < suffixLength) {
        return 0;
    }
    const unsigned char* tail =
        reinterpret_cast<const unsigned char*>(text) + (textLength - suffixLength);
    const unsigned char* wanted = reinterpret_cast<const unsigned char*>(suffix);
    for (size_t i = 0; i < suffixLength; ++i) {
        if (FoldAscii(tail[i]) != FoldAscii(wanted[i])) {
            return 0;
        }
    }
    return 1;
}
