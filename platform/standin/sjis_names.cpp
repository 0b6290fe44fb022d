// Shift-JIS (code page 932) names against UTF-8 host names, through iconv.
#include "platform/standin/sjis_names.h"

#include <iconv.h>

namespace standin::internal {

namespace {

// Converts all of `input`; false when iconv meets a byte sequence it cannot map.
bool Convert(const char* to, const char* from, const std::string& input, std::string* output) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    std::string buffer(input.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char* out = &buffer[0];
    size_t outLeft = buffer.size();
    bool ok = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) &&
              inLeft == 0;
    iconv_close(converter);
    if (ok) {
        buffer.resize(buffer.size() - outLeft);
        *output = buffer;
    }
    return ok;
}

size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c; }

}  // namespace

// The fixed lead-byte set of code page 932, independent of any locale.
bool IsSjisLead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

size_t SjisCharLength(const std::string& text, size_t at) {
    if (!IsSjisLead(static_cast<unsigned char>(text[at]))) {
        return 1;
    }
    return at + 1 < text.size() ? 2 : 0;
}

bool SjisCharCount(const std::string& text, size_t* count) {
    size_t chars = 0;
    for (size_t at = 0; at < text.size();) {
        size_t length = SjisCharLength(text, at);
        if (length == 0) {
            return false;
        }
        at += length;
        ++chars;
    }
    *count = chars;
    return true;
}

bool SjisToUtf8(const std::string& sjis, std::string* utf8) {
    return Convert("UTF-8", "CP932", sjis, utf8);
}

std::string Utf8ToSjis(const std::string& utf8) {
    std::string sjis;
    if (Convert("CP932", "UTF-8", utf8, &sjis)) {
        return sjis;
    }
    // Character by character, so that only what code page 932 lacks is replaced.
    sjis.clear();
    for (size_t at = 0; at < utf8.size();) {
        size_t length = Utf8SequenceLength(static_cast<unsigned char>(utf8[at]));
        std::string one;
        if (Convert("CP932", "UTF-8", utf8.substr(at, length), &one)) {
            sjis += one;
        } else {
            sjis += '?';
        }
        at += length;
    }
    return sjis;
}

std::string SjisFoldCase(const std::string& sjis) {
    std::string folded = sjis;
    for (size_t at = 0; at < folded.size();) {
        size_t length = SjisCharLength(folded, at);
        if (length == 1) {
            folded[at] = LowerAscii(folded[at]);
        }
        at += length == 0 ? 1 : length;
    }
    return folded;
}

bool SjisEqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && SjisFoldCase(a) == SjisFoldCase(b);
}

bool Utf8EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace standin::internal
