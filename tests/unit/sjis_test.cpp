// The Shift-JIS helpers: a double-byte character is one unit, whatever its second byte.
#include <cstring>
#include <string>

#include "tests/support/fixture.h"
#include "util/memory.h"
#include "util/sjis.h"

namespace {

TEST(SjisLeadByte, TableHoldsExactlyTheSixtyLeadBytes) {
    int leads = 0;
    for (int value = 0; value < 256; ++value) {
        bool lead = (value >= 0x81 && value <= 0x9F) || (value >= 0xE0 && value <= 0xFC);
        EXPECT_EQ(SjisIsLeadByte(static_cast<unsigned char>(value)), lead) << std::hex << value;
        leads += lead ? 1 : 0;
    }
    EXPECT_EQ(leads, 60);
}

// A text with a sentinel after its terminator, to see that nothing past it is touched.
struct ScanRow {
    const char* name;
    std::string input;
    std::string lowered;         // after SjisLowerAscii
    std::string slashesToBack;   // after SjisReplaceChar(text, '/', '\\')
    std::string backToColon;     // after SjisReplaceChar(text, '\\', ':')
};

const ScanRow kScanRows[] = {
    {"empty", "", "", "", ""},
    {"ascii", "C:\\Games/VN\\A", "c:\\games/vn\\a", "C:\\Games\\VN\\A", "C::Games/VN:A"},
    {"trail byte like A", "\x83\x41" "A", "\x83\x41" "a", "\x83\x41" "A", "\x83\x41" "A"},
    {"trail byte like backslash", "\x95\x5C\\", "\x95\x5C\\", "\x95\x5C\\", "\x95\x5C:"},
    {"invalid trail taken along", "\x81\x2F/", "\x81\x2F/", "\x81\x2F\\", "\x81\x2F/"},
    {"half-width katakana is single", "\xB1" "A", "\xB1" "a", "\xB1" "A", "\xB1" "A"},
    {"0x80 is single", "\x80" "A", "\x80" "a", "\x80" "A", "\x80" "A"},
    {"0xFD-0xFF are single", "\xFD" "A\xFF" "B", "\xFD" "a\xFF" "b", "\xFD" "A\xFF" "B",
     "\xFD" "A\xFF" "B"},
    {"lead byte before terminator", "A\x83", "a\x83", "A\x83", "A\x83"},
    {"soft folder", "D:\\\x83\x5C\x83\x74\x83\x67\\", "d:\\\x83\x5C\x83\x74\x83\x67\\",
     "D:\\\x83\x5C\x83\x74\x83\x67\\", "D::\x83\x5C\x83\x74\x83\x67:"},
};

std::string Apply(const std::string& input, void (*operation)(char*)) {
    char buffer[64];
    memset(buffer, 'Q', sizeof buffer);
    memcpy(buffer, input.c_str(), input.size() + 1);
    operation(buffer);
    // The byte after the terminator must still be the sentinel.
    EXPECT_EQ(buffer[input.size() + 1], 'Q') << Escaped(input);
    return std::string(buffer, input.size());
}

TEST(SjisScan, LowerAndReplacePassOverDoubleByteCharacters) {
    for (const ScanRow& row : kScanRows) {
        EXPECT_EQ(Escaped(Apply(row.input, SjisLowerAscii)), Escaped(row.lowered)) << row.name;
        EXPECT_EQ(Escaped(Apply(row.input, [](char* t) { SjisReplaceChar(t, '/', '\\'); })),
                  Escaped(row.slashesToBack))
            << row.name;
        EXPECT_EQ(Escaped(Apply(row.input, [](char* t) { SjisReplaceChar(t, '\\', ':'); })),
                  Escaped(row.backToColon))
            << row.name;
    }
}

TEST(SjisScan, ALeadByteValueToFindIsNeverFound) {
    std::string replaced = Apply("\x83\x41\x83", [](char* t) { SjisReplaceChar(t, '\x83', 'x'); });
    EXPECT_EQ(Escaped(replaced), Escaped("\x83\x41\x83"));
}

TEST(SjisAfterLastSeparator, FindsWhereTheLastNameBegins) {
    struct Row {
        std::string path;
        size_t nameOffset;
    } rows[] = {
        {"C:\\Game\\pac\\bn.tvp", 12}, {"C:/Game/inst.ini", 8}, {"name", 0}, {"", 0},
        {"C:\\Game\\", 8},
        {"C:\\\x83\x5C", 3},          // ソ: its 0x5C is no separator
        {"C:\\\x83\x5C\\x", 6},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SjisAfterLastSeparator(row.path.c_str()) - row.path.c_str(),
                  static_cast<ptrdiff_t>(row.nameOffset))
            << Escaped(row.path);
    }
}

TEST(EndsWithNoCase, ComparesTheLastBytesFoldingAsciiCaseOnly) {
    struct Row {
        const char* text;
        const char* suffix;
        unsigned char want;
    } rows[] = {
        {"save.sd", ".sd", 1},       {"SAVE.SD", ".sd", 1},  {"a.Sd", ".SD", 1},
        {".sd", ".sd", 1},           {"sd", ".sd", 0},       {"a.sdx", ".sd", 0},
        {"a.sd.bak", ".sd", 0},      {"", "", 1},            {"anything", "", 1},
        {"", ".sd", 0},              {"\x82\xA0", "\x82\xA0", 1},
        {"\x82\xA0", "\x82\xC0", 0},  // bytes from 0x80 up match only themselves
        {"x\xC1", "\xE1", 0},         // no folding above ASCII
        // Byte-wise: the trail byte 0x53 ('S') of a double-byte character folds like a letter.
        {"\x83\x53", "s", 1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(EndsWithNoCase(row.text, row.suffix), row.want)
            << Escaped(row.text) << " / " << Escaped(row.suffix);
    }
}

class AllocZeroedTest : public StandinTest {};

TEST_F(AllocZeroedTest, GivesZeroedBlocksOrNullWhenTheHeapRefuses) {
    unsigned char* block = static_cast<unsigned char*>(AllocZeroed(300));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(block[i], 0) << i;
    }
    ReleaseBlock(block);
    standin::FailFunction("HeapAlloc", 1, false);
    EXPECT_EQ(AllocZeroed(16), nullptr);
    EXPECT_EQ(standin::HeapBlocksOutstanding(), 0);
}

}  // namespace
