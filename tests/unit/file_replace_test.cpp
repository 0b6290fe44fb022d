// Replacing a game file all or nothing: the destination is the complete new file or the old
// file untouched, and no temporary file is left behind either way.
#include <string>

#include "app/file_replace.h"
#include "tests/support/fixture.h"

namespace {

const char kSource[] = "C:\\Update\\data\\pac\\bn.tvp";
const char kDestination[] = "C:\\Game\\pac\\bn.tvp";
const char kTemporary[] = "C:\\Game\\pac\\~u.tmp";
const std::string kNew(5000, 'N');
const std::string kOld = "old pack";

class FileReplaceTest : public StandinTest {
protected:
    void SetUp() override {
        StandinTest::SetUp();
        ASSERT_TRUE(standin::WriteBytes(kSource, kNew));
        ASSERT_TRUE(standin::WriteBytes(kDestination, kOld));
    }

    std::string Content(const char* path) {
        std::string bytes;
        return standin::ReadBytes(path, &bytes) ? bytes : "<missing>";
    }
};

TEST_F(FileReplaceTest, ReplacesOrCreatesTheDestinationWithTheWholeSource) {
    EXPECT_EQ(ReplaceFileAtomically(kSource, kDestination), 1);
    EXPECT_EQ(Content(kDestination), kNew);
    EXPECT_EQ(Content(kSource), kNew);

    ASSERT_EQ(DeleteFileA(kDestination), TRUE);
    EXPECT_EQ(ReplaceFileAtomically(kSource, kDestination), 1);
    EXPECT_EQ(Content(kDestination), kNew);
    EXPECT_FALSE(standin::Exists(kTemporary));
    EXPECT_EQ(standin::OpenHandleCount(), 0);
}

// Each failure leaves the world exactly as it was: old destination, no temporary file.
TEST_F(FileReplaceTest, EveryFailureLeavesTheOldFileAndNoTemporary) {
    struct Row {
        const char* name;
        void (*arrange)();
    } rows[] = {
        {"read-only destination",
         [] { SetFileAttributesA(kDestination, FILE_ATTRIBUTE_READONLY); }},
        {"source missing", [] { DeleteFileA(kSource); }},
        {"copy stops part-way", [] { standin::FailCopyPartway("", 1000); }},
        {"flush fails", [] { standin::FailFunction("FlushFileBuffers", 1, false); }},
        {"rename fails", [] { standin::FailFunction("MoveFileExA", 1, false); }},
        {"destination held without delete sharing",
         [] { standin::HoldFile(kDestination, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        standin::Reset(hostRoot);
        ASSERT_TRUE(standin::WriteBytes(kSource, kNew));
        ASSERT_TRUE(standin::WriteBytes(kDestination, kOld));
        row.arrange();
        auto before = standin::Snapshot();
        EXPECT_EQ(ReplaceFileAtomically(kSource, kDestination), 0);
        EXPECT_EQ(standin::Snapshot(), before);
        EXPECT_EQ(standin::OpenHandleCount(), 0);
    }
}

TEST_F(FileReplaceTest, AFolderInPlaceOfTheDestinationFails) {
    ASSERT_TRUE(standin::MakeFolder("C:\\Game\\pac\\update1.tvp"));
    auto before = standin::Snapshot();
    EXPECT_EQ(ReplaceFileAtomically(kSource, "C:\\Game\\pac\\update1.tvp"), 0);
    EXPECT_EQ(standin::Snapshot(), before);
}

TEST_F(FileReplaceTest, ALeftoverTemporaryIsReplacedEvenWhenReadOnly) {
    std::string leftover = kTemporary;
    ASSERT_TRUE(standin::WriteBytes(leftover, "half"));
    ASSERT_TRUE(SetFileAttributesA(leftover.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(ReplaceFileAtomically(kSource, kDestination), 1);
    EXPECT_EQ(Content(kDestination), kNew);
    EXPECT_FALSE(standin::Exists(leftover));
}

TEST_F(FileReplaceTest, AReadOnlySourceStillReplacesAndLeavesNothingBehind) {
    ASSERT_TRUE(SetFileAttributesA(kSource, FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(ReplaceFileAtomically(kSource, kDestination), 1);
    EXPECT_EQ(Content(kDestination), kNew);
    EXPECT_FALSE(standin::Exists(kTemporary));
}

TEST_F(FileReplaceTest, TheTemporaryFitsWhereverTheDestinationFits) {
    // A destination of 259 bytes, the longest path: its temporary is shorter still.
    std::string folder = "C:\\" + std::string(249, 'p');
    std::string destination = folder + "\\bn.tvp";
    ASSERT_EQ(destination.size(), 259u);
    ASSERT_TRUE(standin::WriteBytes(destination, kOld));
    EXPECT_EQ(ReplaceFileAtomically(kSource, destination.c_str()), 1);
    EXPECT_EQ(Content(destination.c_str()), kNew);
    EXPECT_FALSE(standin::Exists(folder + "\\~u.tmp"));
}

TEST_F(FileReplaceTest, TheTemporaryGoesBesideADestinationUnderADoubleByteFolder) {
    // ソ ends in 0x5C: that byte is no separator, the folder stays whole.
    std::string destination = Sjis("C:\\ソフト\\inst.ini");
    ASSERT_TRUE(standin::WriteBytes(destination, kOld));
    EXPECT_EQ(ReplaceFileAtomically(kSource, destination.c_str()), 1);
    EXPECT_EQ(Content(destination.c_str()), kNew);
    EXPECT_FALSE(standin::Exists(Sjis("C:\\ソフト\\~u.tmp")));
}

}  // namespace
