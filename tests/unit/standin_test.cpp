// The stand-in platform: the Windows behaviours that the updater's tests rely on.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/standin/control.h"

namespace {

// Shift-JIS bytes. The second byte of ソ (0x83 0x5C) and of 表 (0x95 0x5C) is a backslash; the
// second byte of ア (0x83 0x41) is an 'A', and ヂ (0x83 0x61) differs from it only in that
// byte's "case".
const std::string kSoft = "\x83\x5C\x83\x74\x83\x67";  // ソフト
const std::string kHyo = "\x95\x5C";                   // 表
const std::string kA = "\x83\x41";                     // ア
const std::string kDi = "\x83\x61";                    // ヂ

const DWORD kFile = FILE_ATTRIBUTE_ARCHIVE;
const DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY;

class StandinPlatform : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/standin_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        standin::Reset(root);
    }
    void TearDown() override {
        standin::Reset(root);  // closes whatever a test left open
        std::filesystem::remove_all(root);
    }

    std::string Content(const std::string& path) {
        std::string bytes;
        EXPECT_TRUE(standin::ReadBytes(path, &bytes)) << path;
        return bytes;
    }

    std::string root;
};

// 0 when the call succeeded, else the last error it left.
DWORD ErrorOf(const std::function<BOOL()>& call) {
    SetLastError(0xDEADu);
    return call() ? 0 : GetLastError();
}

DWORD OpenError(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return ErrorOf([&] {
        HANDLE file = CreateFileA(path.c_str(), access, share, nullptr, disposition, 0, nullptr);
        return file != INVALID_HANDLE_VALUE && CloseHandle(file);
    });
}

// What GetFileAttributesA says of a path: its attributes, or the error.
struct Lookup {
    DWORD attributes;
    DWORD error;
    bool operator==(const Lookup& other) const {
        return attributes == other.attributes && error == other.error;
    }
};
std::ostream& operator<<(std::ostream& out, const Lookup& lookup) {
    return out << "attributes 0x" << std::hex << lookup.attributes << " error " << std::dec
               << lookup.error;
}
Lookup Attributes(const std::string& path) {
    SetLastError(0);
    DWORD attributes = GetFileAttributesA(path.c_str());
    return {attributes, attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : 0};
}
Lookup Found(DWORD attributes) { return {attributes, 0}; }
Lookup Missing(DWORD error) { return {INVALID_FILE_ATTRIBUTES, error}; }

std::vector<std::pair<std::string, DWORD>> Enumerate(const std::string& pattern) {
    std::vector<std::pair<std::string, DWORD>> entries;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        entries.push_back({data.cFileName, data.dwFileAttributes});
    } while (FindNextFileA(find, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(find));
    return entries;
}

// ---- Paths -----------------------------------------------------------------------------------

TEST_F(StandinPlatform, PathsResolveAsWindowsResolvesThem) {
    ASSERT_TRUE(standin::WriteBytes("C:\\Game\\Inst.ini", "x"));
    ASSERT_TRUE(standin::MakeFolder("C:\\Game\\pac"));
    ASSERT_TRUE(standin::WriteBytes("C:\\" + kA + "\\f", "x"));
    standin::SetCurrentDir("C:\\Game");
    struct Row {
        std::string path;
        Lookup want;
    } rows[] = {
        {"C:\\Game\\Inst.ini", Found(kFile)},
        {"c:\\GAME\\INST.INI", Found(kFile)},
        {"C:\\Game\\\\Inst.ini", Found(kFile)},
        {"C:/Game//pac", Found(kFolder)},
        {"C:\\Game\\pac\\", Found(kFolder)},
        {"Inst.ini", Found(kFile)},
        {".\\pac\\..\\Inst.ini", Found(kFile)},
        {"\\Game\\Inst.ini", Found(kFile)},
        {"C:Inst.ini", Found(kFile)},
        {"C:\\..\\..\\Game\\Inst.ini", Found(kFile)},
        {"C:\\Game\\missing.ini", Missing(ERROR_FILE_NOT_FOUND)},
        {"C:\\Missing\\Inst.ini", Missing(ERROR_PATH_NOT_FOUND)},
        {"C:\\Game\\Inst.ini\\x", Missing(ERROR_PATH_NOT_FOUND)},
        {"D:\\Game\\Inst.ini", Missing(ERROR_PATH_NOT_FOUND)},
        {"C:\\Game\\In*t.ini", Missing(ERROR_INVALID_NAME)},
        {"C:\\" + kA + "\\f", Found(kFile)},
        {"C:\\" + kDi + "\\f", Missing(ERROR_PATH_NOT_FOUND)},  // trail bytes never fold
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Attributes(row.path), row.want) << row.path;
    }
}

TEST_F(StandinPlatform, PathsOfMaxPathCharactersOrMoreAreRefused) {
    // Counted in characters, as the platform counts them after widening: 80 ア are 80
    // characters but 160 bytes.
    const std::string ascii = "C:\\" + std::string(200, 'a') + "\\";
    std::string wide = "C:\\";
    for (int i = 0; i < 80; ++i) wide += kA;
    wide += "\\";
    ASSERT_TRUE(standin::MakeFolder(ascii));
    ASSERT_TRUE(standin::MakeFolder(wide));
    struct Row {
        std::string folder;
        size_t folderChars;
    } folders[] = {{ascii, ascii.size()}, {wide, 3 + 80 + 1}};
    for (const Row& folder : folders) {
        std::string host = standin::HostPath(folder.folder);
        ASSERT_FALSE(host.empty());
        for (size_t chars : {258u, 259u, 260u, 261u}) {
            std::string name(chars - folder.folderChars, 'b');
            std::ofstream(host + "/" + name) << "x";
            Lookup want = chars <= 259 ? Found(kFile)
                          : chars == 260 ? Missing(ERROR_PATH_NOT_FOUND)
                                         : Missing(ERROR_FILENAME_EXCED_RANGE);
            EXPECT_EQ(Attributes(folder.folder + name), want) << chars << " characters";
        }
    }
}

TEST_F(StandinPlatform, ShiftJisNamesRoundTripThroughTheHostAndEnumeration) {
    const std::string folder = "C:\\" + kSoft;
    ASSERT_TRUE(standin::MakeFolder(folder));
    EXPECT_TRUE(std::filesystem::is_directory(root + "/C/ソフト"));
    HANDLE file = CreateFileA((folder + "\\" + kHyo + ".sd").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(CloseHandle(file));
    EXPECT_TRUE(std::filesystem::is_regular_file(root + "/C/ソフト/表.sd"));
    std::ofstream(root + "/C/ソフト/ア.txt") << "made on the host";
    std::filesystem::create_directory(root + "/C/ソフト/sub");

    auto entries = Enumerate(folder + "\\*.*");
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0], std::make_pair(std::string("."), kFolder));
    EXPECT_EQ(entries[1], std::make_pair(std::string(".."), kFolder));
    std::vector<std::pair<std::string, DWORD>> rest(entries.begin() + 2, entries.end());
    std::sort(rest.begin(), rest.end());
    std::vector<std::pair<std::string, DWORD>> want = {
        {"sub", kFolder}, {kA + ".txt", kFile}, {kHyo + ".sd", kFile}};
    std::sort(want.begin(), want.end());
    EXPECT_EQ(rest, want);

    // A drive root has no "." nor ".."; "*" is "*.*"; a literal name matches without case.
    auto top = Enumerate("C:\\*");
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0], std::make_pair(kSoft, kFolder));
    auto literal = Enumerate("c:\\" + kSoft + "\\" + kHyo + ".SD");
    ASSERT_EQ(literal.size(), 1u);
    EXPECT_EQ(literal[0].first, kHyo + ".sd");
}

TEST_F(StandinPlatform, EnumerationErrorsAndHandles) {
    ASSERT_TRUE(standin::WriteBytes("C:\\Saves\\a.sd", "x"));
    WIN32_FIND_DATAA data;
    struct Row {
        std::string pattern;
        DWORD error;
    } rows[] = {
        {"C:\\Missing\\*.*", ERROR_PATH_NOT_FOUND},
        {"C:\\Saves\\a.sd\\*.*", ERROR_PATH_NOT_FOUND},
        {"C:\\Saves\\*.txt", ERROR_FILE_NOT_FOUND},
        {"C:\\Saves\\", ERROR_FILE_NOT_FOUND},
    };
    for (const Row& row : rows) {
        SetLastError(0);
        EXPECT_EQ(FindFirstFileA(row.pattern.c_str(), &data), INVALID_HANDLE_VALUE) << row.pattern;
        EXPECT_EQ(GetLastError(), row.error) << row.pattern;
    }
    EXPECT_EQ(standin::OpenHandleCount(), 0);

    HANDLE find = FindFirstFileA("C:\\Saves\\*.*", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_NE(find, nullptr);
    EXPECT_EQ(standin::OpenHandleCount(), 1);
    EXPECT_EQ(ErrorOf([&] { return CloseHandle(find); }), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(standin::OpenHandleCount(), 1);
    EXPECT_TRUE(FindClose(find));
    EXPECT_EQ(standin::OpenHandleCount(), 0);
    EXPECT_EQ(ErrorOf([&] { return FindClose(find); }), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(ErrorOf([] { return CloseHandle(reinterpret_cast<HANDLE>(0x1234)); }),
              static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// ---- Attributes, sharing, copies ---------------------------------------------------------

TEST_F(StandinPlatform, ReadOnlyIsEnforcedAlthoughTestsRunAsRoot) {
    const std::string target = "C:\\Game\\inst.ini";
    const std::string source = "C:\\data\\inst.ini";
    struct Row {
        const char* operation;
        std::function<BOOL()> run;
    } rows[] = {
        {"open for writing",
         [&] {
             HANDLE file = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                       nullptr);
             return file != INVALID_HANDLE_VALUE && CloseHandle(file);
         }},
        {"recreate",
         [&] {
             HANDLE file = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, CREATE_ALWAYS, 0,
                                       nullptr);
             return file != INVALID_HANDLE_VALUE && CloseHandle(file);
         }},
        {"copy onto", [&] { return CopyFileA(source.c_str(), target.c_str(), FALSE); }},
        {"move onto",
         [&] { return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING); }},
        {"delete", [&] { return DeleteFileA(target.c_str()); }},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(standin::WriteBytes(source, "new"));
        ASSERT_TRUE(standin::WriteBytes(target, "old"));
        ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
        auto before = standin::Snapshot();
        EXPECT_EQ(ErrorOf(row.run), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << row.operation;
        EXPECT_EQ(standin::Snapshot(), before) << row.operation;
        EXPECT_EQ(OpenError(target, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u)
            << "reading stays allowed";
        ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL));
        EXPECT_EQ(ErrorOf(row.run), 0u) << row.operation << " once writable";
    }
    EXPECT_EQ(standin::OpenHandleCount(), 0);
}

TEST_F(StandinPlatform, SharingModesApplyBetweenEveryOpenOfAFile) {
    const std::string file = "C:\\Game\\pac\\bn.tvp";
    const std::string other = "C:\\data\\bn.tvp";
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD rw = FILE_SHARE_READ | FILE_SHARE_WRITE;
    // Each gives 0 or the error of its failure.
    std::map<std::string, std::function<DWORD()>> operations = {
        {"read sharing rw", [&] { return OpenError(file, GENERIC_READ, rw, OPEN_EXISTING); }},
        {"read sharing r",
         [&] { return OpenError(file, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING); }},
        {"write sharing rw", [&] { return OpenError(file, GENERIC_WRITE, rw, OPEN_EXISTING); }},
        {"delete", [&] { return ErrorOf([&] { return DeleteFileA(file.c_str()); }); }},
        {"move away",
         [&] { return ErrorOf([&] { return MoveFileExA(file.c_str(), (file + ".old").c_str(), 0); }); }},
        {"move onto",
         [&] {
             return ErrorOf(
                 [&] { return MoveFileExA(other.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING); });
         }},
        {"copy from",
         [&] { return ErrorOf([&] { return CopyFileA(file.c_str(), (file + ".copy").c_str(), FALSE); }); }},
        {"copy onto", [&] { return ErrorOf([&] { return CopyFileA(other.c_str(), file.c_str(), FALSE); }); }},
    };
    struct Row {
        DWORD access;
        DWORD share;
        const char* operation;
        bool allowed;
    } rows[] = {
        {GENERIC_READ, rw, "read sharing rw", true},
        {GENERIC_READ, rw, "write sharing rw", true},
        {GENERIC_READ, rw, "delete", false},
        {GENERIC_READ, rw, "move away", false},
        {GENERIC_READ, rw, "move onto", false},
        {GENERIC_READ, rw, "copy from", true},
        {GENERIC_READ, rw, "copy onto", false},
        {GENERIC_READ, FILE_SHARE_READ, "write sharing rw", false},
        {GENERIC_READ, FILE_SHARE_READ, "read sharing r", true},
        {GENERIC_READ, 0, "read sharing rw", false},
        {GENERIC_WRITE, rw, "read sharing rw", true},
        {GENERIC_WRITE, rw, "read sharing r", false},
        {GENERIC_WRITE, rw, "copy from", false},
        {GENERIC_READ, all, "delete", true},
        {GENERIC_READ, all, "move away", true},
        {GENERIC_READ, all, "move onto", true},
        {0, rw, "read sharing r", true},
    };
    for (const Row& row : rows) {
        std::string label = std::string(row.operation) + " while held with access 0x";
        label += std::to_string(row.access) + " share " + std::to_string(row.share);
        ASSERT_TRUE(standin::WriteBytes(file, "old"));
        ASSERT_TRUE(standin::WriteBytes(other, "new"));
        int hold = standin::HoldFile(file, row.access, row.share);
        ASSERT_GT(hold, 0) << label;
        auto before = standin::Snapshot();
        DWORD error = operations.at(row.operation)();
        EXPECT_EQ(error, row.allowed ? 0u : static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << label;
        if (!row.allowed) {
            EXPECT_EQ(standin::Snapshot(), before) << label;
        }
        standin::ReleaseFile(hold);
        DeleteFileA((file + ".old").c_str());
        DeleteFileA((file + ".copy").c_str());
    }
    EXPECT_EQ(standin::OpenHandleCount(), 0);

    // The rule holds the other way round too: the updater's open refuses a later holder.
    HANDLE mine = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(mine, INVALID_HANDLE_VALUE);
    EXPECT_EQ(standin::HoldFile(file, GENERIC_WRITE, rw), 0);
    int reader = standin::HoldFile(file, GENERIC_READ, rw);
    EXPECT_GT(reader, 0);
    EXPECT_EQ(standin::OpenHandleCount(), 1) << "held files are not the updater's handles";
    CloseHandle(mine);
    standin::ReleaseFile(reader);
    EXPECT_GT(standin::HoldFile(file, GENERIC_WRITE, 0), 0);
}

TEST_F(StandinPlatform, CopyFileAReplacesInPlaceAndCopiesAttributes) {
    const std::string source = "C:\\data\\inst.ini";
    ASSERT_TRUE(standin::WriteBytes(source, "new bytes"));
    ASSERT_TRUE(SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(standin::WriteBytes("C:\\Game\\inst.ini", "old content, longer"));
    ASSERT_TRUE(standin::MakeFolder("C:\\Game\\pac"));
    // A host descriptor on the old file sees the new bytes only if the copy wrote in place.
    std::ifstream old(standin::HostPath("C:\\Game\\inst.ini"));
    ASSERT_TRUE(old.is_open());

    EXPECT_EQ(ErrorOf([&] { return CopyFileA(source.c_str(), "c:\\game\\INST.INI", FALSE); }), 0u);
    EXPECT_EQ(Content("C:\\Game\\inst.ini"), "new bytes");
    EXPECT_EQ(Attributes("C:\\Game\\inst.ini"), Found(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    std::string seen((std::istreambuf_iterator<char>(old)), std::istreambuf_iterator<char>());
    EXPECT_EQ(seen, "new bytes") << "the destination is rewritten, not replaced";

    struct Row {
        std::string from;
        std::string to;
        BOOL failIfExists;
        DWORD error;
    } rows[] = {
        {source, "C:\\Game\\new.ini", TRUE, 0},
        {source, "C:\\Game\\inst.ini", TRUE, ERROR_FILE_EXISTS},
        {source, "C:\\Game\\pac", FALSE, ERROR_ACCESS_DENIED},
        {source, "C:\\Nowhere\\inst.ini", FALSE, ERROR_PATH_NOT_FOUND},
        {"C:\\data\\missing.ini", "C:\\Game\\x.ini", FALSE, ERROR_FILE_NOT_FOUND},
        {"C:\\data", "C:\\Game\\x.ini", FALSE, ERROR_ACCESS_DENIED},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ErrorOf([&] { return CopyFileA(row.from.c_str(), row.to.c_str(), row.failIfExists); }),
                  row.error)
            << row.from << " -> " << row.to;
    }
}

TEST_F(StandinPlatform, ACopyCanStopPartway) {
    ASSERT_TRUE(standin::WriteBytes("C:\\data\\bn.tvp", "0123456789"));
    ASSERT_TRUE(standin::WriteBytes("C:\\Game\\bn.tvp", "old old old old"));
    ASSERT_TRUE(standin::WriteBytes("C:\\Game\\other.tvp", "other"));
    standin::FailCopyPartway("c:\\GAME\\bn.tvp", 4);
    // Another destination is not affected, and the fault waits for its own.
    EXPECT_EQ(ErrorOf([] { return CopyFileA("C:\\data\\bn.tvp", "C:\\Game\\other.tvp", FALSE); }), 0u);
    EXPECT_EQ(ErrorOf([] { return CopyFileA("C:\\data\\bn.tvp", "C:\\Game\\bn.tvp", FALSE); }),
              static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(Content("C:\\Game\\bn.tvp"), "0123");
    EXPECT_EQ(ErrorOf([] { return CopyFileA("C:\\data\\bn.tvp", "C:\\Game\\bn.tvp", FALSE); }), 0u);
    EXPECT_EQ(Content("C:\\Game\\bn.tvp"), "0123456789");
}

TEST_F(StandinPlatform, MoveFileExARenamesAndReplacesFiles) {
    struct Row {
        const char* situation;
        DWORD flags;
        std::function<void()> arrange;
        DWORD error;
        const char* destinationAfter;  // nullptr: not a file
    } rows[] = {
        {"new name", 0, [] {}, 0, "new"},
        {"replace", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH,
         [] { standin::WriteBytes("C:\\d\\to", "old"); }, 0, "new"},
        {"existing without replace", 0, [] { standin::WriteBytes("C:\\d\\to", "old"); },
         ERROR_ALREADY_EXISTS, "old"},
        {"folder in the way", MOVEFILE_REPLACE_EXISTING, [] { standin::MakeFolder("C:\\d\\to"); },
         ERROR_ACCESS_DENIED, nullptr},
        {"read-only destination", MOVEFILE_REPLACE_EXISTING,
         [] {
             standin::WriteBytes("C:\\d\\to", "old");
             SetFileAttributesA("C:\\d\\to", FILE_ATTRIBUTE_READONLY);
         },
         ERROR_ACCESS_DENIED, "old"},
    };
    for (const Row& row : rows) {
        std::filesystem::remove_all(root + "/C");
        standin::Reset(root);
        ASSERT_TRUE(standin::WriteBytes("C:\\d\\from", "new"));
        row.arrange();
        EXPECT_EQ(ErrorOf([&] { return MoveFileExA("C:\\d\\from", "C:\\d\\to", row.flags); }), row.error)
            << row.situation;
        EXPECT_EQ(standin::Exists("C:\\d\\from"), row.error != 0) << row.situation;
        std::string bytes;
        if (row.destinationAfter != nullptr) {
            EXPECT_TRUE(standin::ReadBytes("C:\\d\\to", &bytes)) << row.situation;
            EXPECT_EQ(bytes, row.destinationAfter) << row.situation;
        }
    }
}

TEST_F(StandinPlatform, CreateFileADispositionsAndHandleAccess) {
    const std::string path = "C:\\f.bin";
    struct Row {
        DWORD disposition;
        bool exists;
        DWORD error;      // of a failure, or the last error of a success
        bool opened;
        const char* contentAfter;  // nullptr: no file
    } rows[] = {
        {CREATE_NEW, false, 0, true, ""},
        {CREATE_NEW, true, ERROR_FILE_EXISTS, false, "old"},
        {CREATE_ALWAYS, false, 0, true, ""},
        {CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, true, ""},
        {OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, false, nullptr},
        {OPEN_EXISTING, true, 0, true, "old"},
        {OPEN_ALWAYS, false, 0, true, ""},
        {OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, true, "old"},
        {TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, false, nullptr},
        {TRUNCATE_EXISTING, true, 0, true, ""},
    };
    for (const Row& row : rows) {
        DeleteFileA(path.c_str());
        if (row.exists) {
            ASSERT_TRUE(standin::WriteBytes(path, "old"));
        }
        SetLastError(0xDEADu);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  row.disposition, 0, nullptr);
        std::string label = "disposition " + std::to_string(row.disposition) +
                            (row.exists ? " on a file" : " on nothing");
        EXPECT_EQ(file != INVALID_HANDLE_VALUE, row.opened) << label;
        EXPECT_EQ(GetLastError(), row.error) << label;
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
        EXPECT_EQ(standin::Exists(path), row.contentAfter != nullptr) << label;
        if (row.contentAfter != nullptr) {
            EXPECT_EQ(Content(path), row.contentAfter) << label;
        }
    }
    ASSERT_TRUE(standin::MakeFolder("C:\\folder"));
    EXPECT_EQ(OpenError("C:\\folder", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));

    // Each handle reads or writes only as it was opened; reading at the end gives 0 bytes.
    ASSERT_TRUE(standin::WriteBytes(path, ""));
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    char buffer[16] = {};
    DWORD done = 99;
    EXPECT_EQ(ErrorOf([&] { return ReadFile(writer, buffer, 4, &done, nullptr); }),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ErrorOf([&] { return WriteFile(reader, "abc", 3, &done, nullptr); }),
              static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ErrorOf([&] { return FlushFileBuffers(reader); }), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(WriteFile(writer, "abcdef", 6, &done, nullptr));
    EXPECT_EQ(done, 6u);
    EXPECT_TRUE(FlushFileBuffers(writer));
    EXPECT_TRUE(ReadFile(reader, buffer, 4, &done, nullptr));
    EXPECT_EQ(std::string(buffer, done), "abcd");
    EXPECT_TRUE(ReadFile(reader, buffer, sizeof buffer, &done, nullptr));
    EXPECT_EQ(std::string(buffer, done), "ef");
    EXPECT_TRUE(ReadFile(reader, buffer, sizeof buffer, &done, nullptr));
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(standin::OpenHandleCount(), 2);
    CloseHandle(writer);
    CloseHandle(reader);
    EXPECT_EQ(standin::OpenHandleCount(), 0);
}

TEST_F(StandinPlatform, CurrentDirectoryAndItsBufferBoundaries) {
    ASSERT_TRUE(standin::WriteBytes("C:\\Game\\Data\\f", "x"));
    char buffer[32];
    EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), 3u);
    EXPECT_STREQ(buffer, "C:\\");
    EXPECT_EQ(ErrorOf([] { return SetCurrentDirectoryA("C:\\Game\\Data\\f"); }),
              static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_EQ(ErrorOf([] { return SetCurrentDirectoryA("C:\\Game\\Nothing"); }),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\Game\\\\Data\\..\\"));
    const std::string current = "C:\\Game";
    const DWORD needed = static_cast<DWORD>(current.size() + 1);
    for (DWORD size : {needed - 1, needed, needed + 1}) {
        memset(buffer, '#', sizeof buffer);
        DWORD result = GetCurrentDirectoryA(size, buffer);
        if (size < needed) {
            EXPECT_EQ(result, needed) << "size " << size;
            EXPECT_EQ(buffer[0], '#') << "size " << size;
        } else {
            EXPECT_EQ(result, needed - 1) << "size " << size;
            EXPECT_EQ(std::string(buffer), current) << "size " << size;
            EXPECT_EQ(buffer[needed], '#') << "size " << size;
        }
    }
    EXPECT_EQ(Attributes("Data\\f"), Found(kFile));
}

// ---- Registry --------------------------------------------------------------------------------

TEST_F(StandinPlatform, RegistryKeysOpenByNameWithoutCaseAndHonourDeniedAccess) {
    standin::RegCreateKey(HKEY_CURRENT_USER, "Software\\MORVALE\\velmira");
    standin::RegCreateKey(HKEY_LOCAL_MACHINE, "Software\\Other");
    standin::RegCreateKey(HKEY_CURRENT_USER, "Software\\" + kSoft);
    standin::RegDenyFullAccess(HKEY_CURRENT_USER, "Software\\Locked");
    struct Row {
        HKEY root;
        std::string subKey;
        REGSAM access;
        LSTATUS status;
    } rows[] = {
        {HKEY_CURRENT_USER, "Software\\MORVALE\\velmira", KEY_ALL_ACCESS, ERROR_SUCCESS},
        {HKEY_CURRENT_USER, "SOFTWARE\\morvale\\VELMIRA", KEY_ALL_ACCESS, ERROR_SUCCESS},
        {HKEY_CURRENT_USER, "Software\\MORVALE\\missing", KEY_ALL_ACCESS, ERROR_FILE_NOT_FOUND},
        {HKEY_CURRENT_USER, "Software\\Other", KEY_READ, ERROR_FILE_NOT_FOUND},
        {HKEY_LOCAL_MACHINE, "Software\\Other", KEY_READ, ERROR_SUCCESS},
        {HKEY_CURRENT_USER, "Software\\" + kSoft, KEY_READ, ERROR_SUCCESS},
        {HKEY_CURRENT_USER, "Software\\\x83", KEY_READ, ERROR_FILE_NOT_FOUND},
        {HKEY_CURRENT_USER, "Software\\Locked", KEY_ALL_ACCESS, ERROR_ACCESS_DENIED},
        {HKEY_CURRENT_USER, "Software\\Locked", KEY_WRITE, ERROR_ACCESS_DENIED},
        {HKEY_CURRENT_USER, "Software\\Locked", KEY_READ, ERROR_SUCCESS},
    };
    int open = 0;
    for (const Row& row : rows) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(row.root, row.subKey.c_str(), 0, row.access, &key), row.status)
            << row.subKey;
        if (row.status == ERROR_SUCCESS) {
            EXPECT_NE(key, nullptr);
            EXPECT_EQ(standin::OpenKeyCount(), ++open) << row.subKey;
        }
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_SUCCESS);
    HKEY below = nullptr;
    EXPECT_EQ(RegOpenKeyExA(key, "morvale\\velmira", 0, KEY_READ, &below), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(below), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(standin::OpenKeyCount(), open);
}

TEST_F(StandinPlatform, RegistryValuesFitTheBufferAsOnWindows) {
    const char* key = "Software\\MORVALE\\velmira";
    standin::RegSetValue(HKEY_CURRENT_USER, key, "Terminated", REG_SZ, std::string("abc\0", 4));
    standin::RegSetValue(HKEY_CURRENT_USER, key, "Bare", REG_SZ, "abc");
    standin::RegSetValue(HKEY_CURRENT_USER, key, "Expand", REG_EXPAND_SZ, "ab");
    standin::RegSetValue(HKEY_CURRENT_USER, key, "Binary", REG_BINARY, "abc");
    HKEY open = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &open), ERROR_SUCCESS);
    // A sentinel fills the buffer; `bytes` is what the call must have left at its start.
    struct Row {
        const char* value;
        DWORD offered;
        LSTATUS status;
        DWORD size;
        std::string bytes;
    } rows[] = {
        {"Terminated", 3, ERROR_MORE_DATA, 4, ""},
        {"Terminated", 4, ERROR_SUCCESS, 4, std::string("abc\0", 4)},
        {"Terminated", 5, ERROR_SUCCESS, 4, std::string("abc\0#", 5)},
        {"Bare", 2, ERROR_MORE_DATA, 3, ""},
        {"Bare", 3, ERROR_SUCCESS, 3, "abc#"},  // no room: no terminator
        {"Bare", 4, ERROR_SUCCESS, 4, std::string("abc\0#", 5)},
        {"bare", 8, ERROR_SUCCESS, 4, std::string("abc\0#", 5)},
        {"Expand", 3, ERROR_SUCCESS, 3, std::string("ab\0#", 4)},
        {"Binary", 4, ERROR_SUCCESS, 3, "abc#"},  // raw: nothing appended
    };
    for (const Row& row : rows) {
        char buffer[16];
        memset(buffer, '#', sizeof buffer);
        DWORD size = row.offered;
        DWORD type = 99;
        EXPECT_EQ(RegQueryValueExA(open, row.value, nullptr, &type,
                                   reinterpret_cast<LPBYTE>(buffer), &size),
                  row.status)
            << row.value << " in " << row.offered;
        EXPECT_EQ(size, row.size) << row.value << " in " << row.offered;
        EXPECT_EQ(std::string(buffer, row.bytes.size()), row.bytes) << row.value << " in " << row.offered;
        EXPECT_NE(type, 99u) << row.value;
    }
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(open, "Binary", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(RegQueryValueExA(open, "Dir", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(open);
}

// ---- Named objects, windows, boxes, folders, heap ----------------------------------------

TEST_F(StandinPlatform, MutexesShareOneCountedNamespace) {
    auto create = [](const std::string& name, DWORD* error) {
        SetLastError(0xDEADu);
        HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
        *error = GetLastError();
        return mutex;
    };
    DWORD error = 0;
    HANDLE first = create("TAVRIN_Updater", &error);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(error, 0u);
    HANDLE second = create("TAVRIN_Updater", &error);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    HANDLE other = create("tavrin_updater", &error);
    EXPECT_EQ(error, 0u) << "names are case-sensitive";
    EXPECT_EQ(standin::OpenHandleCount(), 3);
    CloseHandle(first);
    EXPECT_TRUE(standin::ObjectExists("TAVRIN_Updater"));
    CloseHandle(second);
    EXPECT_FALSE(standin::ObjectExists("TAVRIN_Updater")) << "gone with its last handle";
    CloseHandle(other);

    // Another process's mutex: found, and it outlives the updater's handle.
    const std::string game = "d::" + kSoft + ":velmira.exe";  // ソ's second byte is 0x5C
    int held = standin::HoldMutex(game);
    ASSERT_GT(held, 0);
    HANDLE probe = create(game, &error);
    EXPECT_NE(probe, nullptr);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(probe);
    EXPECT_TRUE(standin::ObjectExists(game));
    standin::ReleaseObject(held);
    EXPECT_FALSE(standin::ObjectExists(game));

    int event = standin::HoldEvent("taken");
    ASSERT_GT(event, 0);
    struct Row {
        std::string name;
        DWORD error;
    } refused[] = {
        {"taken", ERROR_INVALID_HANDLE},
        {std::string(MAX_PATH + 1, 'n'), ERROR_FILENAME_EXCED_RANGE},
        {"d:\\games\\velmira.exe", ERROR_PATH_NOT_FOUND},
    };
    for (const Row& row : refused) {
        EXPECT_EQ(create(row.name, &error), nullptr) << row.name;
        EXPECT_EQ(error, row.error) << row.name;
    }
    HANDLE longest = create(std::string(MAX_PATH, 'n'), &error);
    EXPECT_NE(longest, nullptr);
    CloseHandle(longest);
    EXPECT_EQ(standin::OpenHandleCount(), 0);
    standin::ReleaseObject(event);
    EXPECT_FALSE(standin::ObjectExists("taken"));
}

TEST_F(StandinPlatform, FindWindowAMatchesTheClassWithoutCase) {
    int window = standin::OpenWindow("d::" + kA + ":velmira.exe", "Velmira");
    struct Row {
        std::string className;
        const char* title;
        bool found;
    } rows[] = {
        {"d::" + kA + ":velmira.exe", nullptr, true},
        {"D::" + kA + ":VELMIRA.EXE", nullptr, true},
        {"d::" + kDi + ":velmira.exe", nullptr, false},
        {"d::" + kA + ":velmira.exe", "velmira", true},
        {"d::" + kA + ":velmira.exe", "Other", false},
    };
    for (const Row& row : rows) {
        SetLastError(0xDEADu);
        HWND found = FindWindowA(row.className.c_str(), row.title);
        EXPECT_EQ(found != nullptr, row.found) << row.className;
        if (!row.found) {
            EXPECT_EQ(GetLastError(), 0u) << row.className;
        }
    }
    standin::CloseWindow(window);
    EXPECT_EQ(FindWindowA(("d::" + kA + ":velmira.exe").c_str(), nullptr), nullptr);
}

std::vector<std::string> hookedCaptions;

TEST_F(StandinPlatform, MessageBoxesAreRecordedAndAnsweredFromTheScript) {
    hookedCaptions.clear();
    standin::SetBoxHook([](const standin::Box& box) { hookedCaptions.push_back(box.caption); });
    standin::ScriptAnswers({IDNO, 0});
    const std::string caption = "\x83\x47\x83\x89\x81\x5B";  // エラー
    const std::string text = "line one\nline " + kSoft;
    EXPECT_EQ(MessageBoxA(nullptr, text.c_str(), "first", MB_YESNO | MB_ICONINFORMATION), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "fails", "second", MB_OK), 0);
    EXPECT_EQ(MessageBoxA(nullptr, "t", caption.c_str(), MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "t", "fourth", MB_YESNO), IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, "t", "fifth", MB_OKCANCEL), IDOK);
    const auto& boxes = standin::Boxes();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].style, MB_YESNO | MB_ICONINFORMATION);
    EXPECT_EQ(boxes[0].owner, nullptr);
    EXPECT_EQ(boxes[0].result, IDNO);
    EXPECT_EQ(boxes[1].result, 0);
    EXPECT_EQ(boxes[2].caption, caption);
    std::vector<std::string> shown = {"first", caption, "fourth", "fifth"};
    EXPECT_EQ(hookedCaptions, shown) << "a box that failed to show was never up";
}

TEST_F(StandinPlatform, SpecialFoldersAreSetOrFail) {
    char buffer[MAX_PATH];
    memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_APPDATA, FALSE));
    EXPECT_EQ(buffer[0], '#');
    const std::string longest = "C:\\" + std::string(MAX_PATH - 4, 'p');
    standin::SetSpecialFolder(CSIDL_APPDATA, longest.c_str());
    standin::SetSpecialFolder(CSIDL_PERSONAL, "C:\\Users\\A\\Documents");
    EXPECT_TRUE(SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_APPDATA, FALSE));
    EXPECT_EQ(std::string(buffer), longest);
    EXPECT_TRUE(SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_PERSONAL, FALSE));
    EXPECT_STREQ(buffer, "C:\\Users\\A\\Documents");
    standin::SetSpecialFolder(CSIDL_PERSONAL, nullptr);
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_PERSONAL, FALSE));
    EXPECT_STREQ(buffer, "C:\\Users\\A\\Documents");
}

TEST_F(StandinPlatform, HeapBlocksAreCounted) {
    HANDLE heap = GetProcessHeap();
    ASSERT_NE(heap, nullptr);
    void* empty = HeapAlloc(heap, 0, 0);
    EXPECT_NE(empty, nullptr);
    auto* zeroed = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 64));
    ASSERT_NE(zeroed, nullptr);
    EXPECT_EQ(std::count(zeroed, zeroed + 64, 0), 64);
    EXPECT_EQ(standin::HeapBlocksOutstanding(), 2);
    EXPECT_EQ(standin::HeapBytesOutstanding(), 64);
    EXPECT_TRUE(HeapFree(heap, 0, zeroed));
    EXPECT_EQ(ErrorOf([&] { return HeapFree(heap, 0, zeroed); }),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER))
        << "a second free is caught";
    EXPECT_TRUE(HeapFree(heap, 0, empty));
    EXPECT_TRUE(HeapFree(heap, 0, nullptr));
    EXPECT_EQ(standin::HeapBlocksOutstanding(), 0);
}

// ---- Faults, snapshot, reset ---------------------------------------------------------------

TEST_F(StandinPlatform, FaultsFailExactlyTheChosenCalls) {
    ASSERT_TRUE(standin::WriteBytes("C:\\f", "x"));
    struct Row {
        const char* situation;
        std::function<void()> arrange;
        std::vector<bool> fails;  // of four calls in a row
    } rows[] = {
        {"call 2 only", [] { standin::FailCallNumber(2, false); }, {false, true, false, false}},
        {"call 2 onwards", [] { standin::FailCallNumber(2, true); }, {false, true, true, true}},
        {"third of the function", [] { standin::FailFunction("GetFileAttributesA", 3, false); },
         {false, false, true, false}},
        {"third onwards", [] { standin::FailFunction("GetFileAttributesA", 3, true); },
         {false, false, true, true}},
        {"another function", [] { standin::FailFunction("DeleteFileA", 1, true); },
         {false, false, false, false}},
        {"removed again",
         [] {
             standin::FailFunction("GetFileAttributesA", 1, true);
             standin::FailFunction("GetFileAttributesA", 0, false);
         },
         {false, false, false, false}},
    };
    for (const Row& row : rows) {
        standin::Reset(root);
        row.arrange();
        std::vector<bool> fails;
        for (int i = 0; i < 4; ++i) {
            fails.push_back(GetFileAttributesA("C:\\f") == INVALID_FILE_ATTRIBUTES);
        }
        EXPECT_EQ(fails, row.fails) << row.situation;
        EXPECT_EQ(standin::CallLog(), std::vector<std::string>(4, "GetFileAttributesA"))
            << row.situation;
    }
    EXPECT_TRUE(standin::Exists("C:\\f")) << "Reset keeps the disk";
}

TEST_F(StandinPlatform, AFailingCallReturnsTheFailureValueAndDoesNothing) {
    ASSERT_TRUE(standin::WriteBytes("C:\\f", "x"));
    standin::RegCreateKey(HKEY_CURRENT_USER, "Software");
    standin::SetSpecialFolder(CSIDL_APPDATA, "C:\\AppData");
    HKEY key = nullptr;
    char buffer[MAX_PATH] = "untouched";
    WIN32_FIND_DATAA data;
    struct Row {
        const char* function;
        std::function<bool()> failedQuietly;  // the failure value came back
    } rows[] = {
        {"CreateFileA",
         [] {
             return CreateFileA("C:\\new", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr) ==
                        INVALID_HANDLE_VALUE &&
                    !standin::Exists("C:\\new");
         }},
        {"DeleteFileA", [] { return !DeleteFileA("C:\\f") && standin::Exists("C:\\f"); }},
        {"CopyFileA", [] { return !CopyFileA("C:\\f", "C:\\g", FALSE) && !standin::Exists("C:\\g"); }},
        {"MoveFileExA", [] { return !MoveFileExA("C:\\f", "C:\\g", 0) && standin::Exists("C:\\f"); }},
        {"SetFileAttributesA",
         [] {
             return !SetFileAttributesA("C:\\f", FILE_ATTRIBUTE_READONLY) &&
                    GetFileAttributesA("C:\\f") == kFile;
         }},
        {"GetFileAttributesA", [] { return GetFileAttributesA("C:\\f") == INVALID_FILE_ATTRIBUTES; }},
        {"FindFirstFileA", [&] { return FindFirstFileA("C:\\*", &data) == INVALID_HANDLE_VALUE; }},
        {"GetCurrentDirectoryA", [&] { return GetCurrentDirectoryA(sizeof buffer, buffer) == 0; }},
        {"SetCurrentDirectoryA", [] { return !SetCurrentDirectoryA("C:\\"); }},
        {"RegOpenKeyExA",
         [&] {
             return RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key) != ERROR_SUCCESS &&
                    key == nullptr && standin::OpenKeyCount() == 0;
         }},
        {"CreateMutexA",
         [] { return CreateMutexA(nullptr, FALSE, "m") == nullptr && !standin::ObjectExists("m"); }},
        {"FindWindowA", [] { return FindWindowA("c", nullptr) == nullptr; }},
        {"MessageBoxA", [] { return MessageBoxA(nullptr, "t", "c", MB_OK) == 0 && standin::Boxes().empty(); }},
        {"SHGetSpecialFolderPathA",
         [&] {
             return !SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_APPDATA, FALSE) &&
                    std::string(buffer) == "untouched";
         }},
        {"HeapAlloc",
         [] { return HeapAlloc(GetProcessHeap(), 0, 8) == nullptr && standin::HeapBlocksOutstanding() == 0; }},
        {"GetProcessHeap", [] { return GetProcessHeap() == nullptr; }},
    };
    for (const Row& row : rows) {
        standin::FailFunction(row.function, 1, false);
        SetLastError(0);
        EXPECT_TRUE(row.failedQuietly()) << row.function;
        EXPECT_NE(GetLastError(), 0u) << row.function << " leaves an error";
        ASSERT_EQ(standin::CallLog().back(), "GetLastError");
        standin::FailFunction(row.function, 0, false);
    }
    EXPECT_EQ(standin::OpenHandleCount(), 0);

    // GetLastError itself never fails, even when every call from now on should.
    standin::FailCallNumber(1, true);
    SetLastError(1234);
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_EQ(GetLastError(), 1234u);
}

TEST_F(StandinPlatform, SnapshotListsEveryEntryByWindowsPath) {
    ASSERT_TRUE(standin::WriteBytes("C:\\Game\\inst.ini", "ini"));
    ASSERT_TRUE(standin::WriteBytes("C:\\" + kSoft + "\\" + kHyo, "sjis"));
    ASSERT_TRUE(standin::MakeFolder("D:\\Empty"));
    ASSERT_TRUE(SetFileAttributesA("C:\\Game\\inst.ini", FILE_ATTRIBUTE_READONLY));
    std::ofstream(root + "/scratch.txt") << "not on any drive";
    std::vector<std::pair<std::string, standin::Entry>> want = {
        {"C:\\Game/", {"", kFolder}},
        {"C:\\Game\\inst.ini", {"ini", FILE_ATTRIBUTE_READONLY}},
        {"C:\\ソフト/", {"", kFolder}},
        {"C:\\ソフト\\表", {"sjis", kFile}},
        {"D:\\Empty/", {"", kFolder}},
    };
    auto snapshot = standin::Snapshot();
    ASSERT_EQ(snapshot.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(snapshot[i].first, want[i].first);
        EXPECT_EQ(snapshot[i].second.content, want[i].second.content) << want[i].first;
        EXPECT_EQ(snapshot[i].second.attributes, want[i].second.attributes) << want[i].first;
    }
}

TEST_F(StandinPlatform, ResetForgetsEverythingButTheDisk) {
    ASSERT_TRUE(standin::WriteBytes("C:\\Game\\f", "x"));
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\Game"));
    HANDLE file = CreateFileA("f", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_GT(standin::HoldFile("C:\\Game\\f", 0, FILE_SHARE_READ), 0);
    ASSERT_NE(CreateMutexA(nullptr, FALSE, "m"), nullptr);
    standin::RegCreateKey(HKEY_CURRENT_USER, "Software");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_SUCCESS);
    standin::OpenWindow("w", "");
    standin::ScriptAnswers({IDNO});
    MessageBoxA(nullptr, "t", "c", MB_YESNO);
    standin::SetSpecialFolder(CSIDL_APPDATA, "C:\\AppData");
    ASSERT_NE(HeapAlloc(GetProcessHeap(), 0, 8), nullptr);
    standin::FailFunction("GetFileAttributesA", 1, true);

    standin::Reset(root);
    EXPECT_TRUE(standin::CallLog().empty());
    EXPECT_TRUE(standin::Boxes().empty());
    EXPECT_EQ(standin::OpenHandleCount(), 0);
    EXPECT_EQ(standin::OpenKeyCount(), 0);
    EXPECT_EQ(standin::HeapBlocksOutstanding(), 0);
    EXPECT_FALSE(standin::ObjectExists("m"));
    EXPECT_EQ(FindWindowA("w", nullptr), nullptr);
    char buffer[MAX_PATH];
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_APPDATA, FALSE));
    EXPECT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), 3u);
    HKEY again = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &again), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_YESNO), IDYES);
    // The disk stays, and its file is no longer held.
    EXPECT_EQ(ErrorOf([] { return DeleteFileA("C:\\Game\\f"); }), 0u);
}

}  // namespace
