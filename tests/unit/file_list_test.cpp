// The one-level lister over small fixture folders in the stand-in file system.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/fixture.h"
#include "util/file_list.h"

namespace {

class FileListTest : public StandinTest {
protected:
    FileListRequest Request(const std::string& root, std::vector<std::string> filters,
                            int32_t maxResults = 100, bool sort = true) {
        FileListRequest request;
        memset(&request, 0, sizeof request);
        strncpy(request.root, root.c_str(), sizeof request.root - 1);
        for (size_t i = 0; i < filters.size(); ++i) {
            strncpy(request.filters[i], filters[i].c_str(), sizeof request.filters[i] - 1);
        }
        request.filterCount = static_cast<int8_t>(filters.size());
        request.maxResults = maxResults;
        request.sortResults = sort ? 1 : 0;
        return request;
    }

    // Runs the listing and hands back its paths, releasing the record.
    std::vector<std::string> List(FileListRequest request) {
        EXPECT_EQ(ListFiles(request), 0);
        std::vector<std::string> paths;
        for (int32_t i = 0; i < request.resultCount; ++i) {
            paths.push_back(request.results[i]);
        }
        for (int32_t i = request.resultCount; i < request.maxResults; ++i) {
            EXPECT_EQ(request.results[i], nullptr) << "entry " << i << " past the results";
        }
        ReleaseFileList(request);
        EXPECT_EQ(standin::HeapBlocksOutstanding(), 0);
        EXPECT_EQ(standin::OpenHandleCount(), 0);
        return paths;
    }

    // The names in the order the platform enumerates the folder.
    std::vector<std::string> EnumerationOrder(const std::string& folder) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) {
            return names;
        }
        do {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                names.push_back(entry.cFileName);
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
        return names;
    }

    void SaveFolderFixture() {
        for (const char* name : {"a.sd", "B.SD", "c.Sd", ".sd", "c.sdx", "d.sd.bak", "e.sd\\inner.sd",
                                 "sub\\f.sd", "hidden.sd", "readonly.sd"}) {
            ASSERT_TRUE(standin::WriteBytes(std::string("C:\\Saves\\") + name, "x"));
        }
        ASSERT_TRUE(SetFileAttributesA("C:\\Saves\\hidden.sd", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        ASSERT_TRUE(SetFileAttributesA("C:\\Saves\\readonly.sd", FILE_ATTRIBUTE_READONLY));
    }
};

TEST_F(FileListTest, ListsFilesDirectlyInTheFolderWhoseNamesEndInAFilterInAnyCase) {
    SaveFolderFixture();
    std::vector<std::string> want = {
        "c:\\saves\\.sd",      "c:\\saves\\a.sd",        "c:\\saves\\b.sd",
        "c:\\saves\\c.sd",     "c:\\saves\\hidden.sd",   "c:\\saves\\readonly.sd",
    };
    EXPECT_EQ(List(Request("C:\\Saves", {".sd"})), want);
}

TEST_F(FileListTest, FilterCountAndEmptyFilters) {
    SaveFolderFixture();
    EXPECT_TRUE(List(Request("C:\\Saves", {})).empty());
    // An empty filter accepts every file, never a folder.
    EXPECT_EQ(List(Request("C:\\Saves", {""})).size(), 8u);
    // The first filter that matches accepts; later ones add what earlier ones left.
    std::vector<std::string> want = {"c:\\saves\\c.sdx", "c:\\saves\\d.sd.bak"};
    EXPECT_EQ(List(Request("C:\\Saves", {".bak", ".SDX"})), want);
    // A negative count reads no filter.
    FileListRequest request = Request("C:\\Saves", {".sd"});
    request.filterCount = -1;
    EXPECT_TRUE(List(request).empty());
}

TEST_F(FileListTest, ResultsKeepTheRootsFormLowerCasedWithBackslashes) {
    ASSERT_TRUE(standin::WriteBytes("C:\\Data\\Sub\\X.SD", "x"));
    standin::SetCurrentDir("C:\\Data");
    struct Row {
        const char* root;
        const char* want;
    } rows[] = {
        {"C:\\Data\\Sub", "c:\\data\\sub\\x.sd"},
        {"C:\\Data\\Sub\\", "c:\\data\\sub\\\\x.sd"},  // both separators stay
        {"C:/Data/Sub", "c:\\data\\sub\\x.sd"},
        {"Sub", "sub\\x.sd"},
        {".\\Sub", "sub\\x.sd"},  // a leading dot and separator are left out
        {"./Sub", "sub\\x.sd"},
        {"Sub\\..\\Sub", "sub\\..\\sub\\x.sd"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> want = {row.want};
        EXPECT_EQ(List(Request(row.root, {".sd"})), want) << row.root;
    }
    standin::SetCurrentDir("C:\\Data\\Sub");
    EXPECT_EQ(List(Request(".", {".sd"})), std::vector<std::string>{"x.sd"});
    EXPECT_EQ(List(Request("..\\Sub", {".sd"})), std::vector<std::string>{"..\\sub\\x.sd"});
}

TEST_F(FileListTest, DoubleByteNamesKeepTheirBytes) {
    // ア (0x83 0x41) and ソ (0x83 0x5C): second bytes that look like 'A' and '\'.
    ASSERT_TRUE(standin::WriteBytes(Sjis("C:\\ソフト\\アA.SD"), "x"));
    std::vector<std::string> want = {Sjis("c:\\ソフト\\アa.sd")};
    EXPECT_EQ(List(Request(Sjis("C:\\ソフト"), {".sd"})), want);
}

TEST_F(FileListTest, SortsByUnsignedBytesOfTheLowerCasedPaths) {
    for (const char* name : {"b.sd", "Z.sd", "ab.sd", "a.sd", "\x82\xA0.sd", "A_.sd"}) {
        ASSERT_TRUE(standin::WriteBytes(std::string("C:\\S\\") + name, "x"));
    }
    std::vector<std::string> want = {"c:\\s\\a.sd", "c:\\s\\a_.sd", "c:\\s\\ab.sd",
                                     "c:\\s\\b.sd", "c:\\s\\z.sd",  "c:\\s\\\x82\xA0.sd"};
    EXPECT_EQ(List(Request("C:\\S", {".sd"})), want);
}

TEST_F(FileListTest, UnsortedResultsComeInEnumerationOrderUpToTheLimit) {
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(standin::WriteBytes("C:\\S\\f" + std::to_string(i) + ".sd", "x"));
    }
    std::vector<std::string> order;
    for (const std::string& name : EnumerationOrder("C:\\S")) {
        order.push_back("c:\\s\\" + name);
    }
    ASSERT_EQ(order.size(), 12u);
    EXPECT_EQ(List(Request("C:\\S", {".sd"}, 12, false)), order);
    EXPECT_EQ(List(Request("C:\\S", {".sd"}, 13, false)), order);
    std::vector<std::string> firstFive(order.begin(), order.begin() + 5);
    EXPECT_EQ(List(Request("C:\\S", {".sd"}, 5, false)), firstFive);
    // With a limit, the first ones found are kept, then sorted.
    std::sort(firstFive.begin(), firstFive.end());
    EXPECT_EQ(List(Request("C:\\S", {".sd"}, 5, true)), firstFive);
    EXPECT_TRUE(List(Request("C:\\S", {".sd"}, 0, true)).empty());
}

TEST_F(FileListTest, AFolderThatCannotBeReadGivesNoResultsAndNoFailure) {
    ASSERT_TRUE(standin::WriteBytes("C:\\file.sd", "x"));
    for (const char* root : {"C:\\missing", "C:\\file.sd"}) {
        EXPECT_TRUE(List(Request(root, {".sd"})).empty()) << root;
    }
}

TEST_F(FileListTest, APathThatWouldNotFitItsBlockIsLeftOutNotCut) {
    // Root of 250 bytes and one separator: names of up to 10 bytes fit the 261 bytes of a
    // result, an 11-byte one does not.
    std::string root = "C:\\" + std::string(247, 'd');
    ASSERT_TRUE(standin::MakeFolder(root));
    std::string host = standin::HostPath(root);
    ASSERT_FALSE(host.empty());
    for (const char* name : {"123456.sd", "1234567.sd", "12345678.sd"}) {
        std::ofstream(host + "/" + name) << "x";
    }
    std::vector<std::string> paths = List(Request(root, {".sd"}));
    std::string lowered = "c:\\" + std::string(247, 'd');
    std::vector<std::string> want = {lowered + "\\123456.sd", lowered + "\\1234567.sd"};
    EXPECT_EQ(paths, want);
}

TEST_F(FileListTest, RunningOutOfMemoryFailsWholeAndLeavesTheRecordAsItWas) {
    SaveFolderFixture();
    // Blocks in order: folder list, results array, root copy, then one per result.
    for (int nth : {1, 2, 3, 4, 6}) {
        standin::FailFunction("HeapAlloc", nth, false);
        FileListRequest request = Request("C:\\Saves", {".sd"});
        char* sentinel[1] = {nullptr};
        request.results = sentinel;
        request.resultCount = 77;
        EXPECT_EQ(ListFiles(request), -1) << "allocation " << nth;
        EXPECT_EQ(request.results, sentinel);
        EXPECT_EQ(request.resultCount, 77);
        EXPECT_EQ(standin::HeapBlocksOutstanding(), 0) << "allocation " << nth;
        EXPECT_EQ(standin::OpenHandleCount(), 0) << "allocation " << nth;
        standin::FailFunction("HeapAlloc", 0, false);
    }
}

}  // namespace
