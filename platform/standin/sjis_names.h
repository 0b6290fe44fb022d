// Names in code page 932 (the Windows side) and UTF-8 (the host side), and the comparisons that
// fold ASCII letters only, never the bytes of a double-byte character.
#pragma once

#include <cstddef>
#include <string>

namespace standin::internal {

bool IsSjisLead(unsigned char byte);
// Length in bytes of the character that starts at `at` (1 or 2); 0 for a lead byte that has
// no second byte.
size_t SjisCharLength(const std::string& text, size_t at);
// Number of characters, as the platform counts them once it has widened the text; false when
// the text ends inside a double-byte character.
bool SjisCharCount(const std::string& text, size_t* count);
// False when the bytes are not Shift-JIS that code page 932 maps.
bool SjisToUtf8(const std::string& sjis, std::string* utf8);
// A character that code page 932 lacks becomes '?', as the platform's ANSI calls show it.
std::string Utf8ToSjis(const std::string& utf8);
// Lower-cases single-byte ASCII letters only: the key under which names compare equal.
std::string SjisFoldCase(const std::string& sjis);
bool SjisEqualNoCase(const std::string& a, const std::string& b);
// For UTF-8 every byte of a multi-byte character is 0x80 or above, so folding ASCII bytes is
// safe there.
bool Utf8EqualNoCase(const std::string& a, const std::string& b);

}  // namespace standin::internal
