// The game's instance name and the probe of its two markers.
#include <algorithm>
#include <string>

#include "game/running_game.h"
#include "tests/support/fixture.h"

namespace {

class RunningGameTest : public StandinTest {};

TEST_F(RunningGameTest, InstanceNameLowerCasesAndTurnsSingleByteBackslashesIntoColons) {
    struct Row {
        std::string installDir;
        std::string want;
    } rows[] = {
        {"D:\\Games\\VN\\", "d::games:vn:velmira.exe"},
        {"D:\\GAMES\\VN\\", "d::games:vn:velmira.exe"},
        {"d:/games/vn/", "d:/games/vn/velmira.exe"},  // slashes stay slashes
        {Sjis("D:\\ソフト\\"), Sjis("d::ソフト:velmira.exe")},     // ソ ends in 0x5C
        {Sjis("C:\\アA\\"), Sjis("c::アa:velmira.exe")},          // ア ends in 0x41
        {std::string("C:\\") + std::string(256, 'X') + "\\",
         std::string("c::") + std::string(256, 'x') + ":velmira.exe"},  // 260 bytes: fits
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Escaped(MakeInstanceName(row.installDir.c_str())), Escaped(row.want));
        EXPECT_EQ(Escaped(InstanceName), Escaped(row.want));
    }
}

TEST_F(RunningGameTest, ProbeAnswersByMutexThenWindow) {
    const std::string name = Sjis("c::ソフト:velmira.exe");
    struct Row {
        const char* situation;
        bool mutex;
        bool window;
        bool otherKind;
        int8_t want;
    } rows[] = {
        {"nothing", false, false, false, 0},
        {"mutex only", true, false, false, 0},
        {"window only", false, true, false, 0},
        {"mutex and window", true, true, false, 1},
        {"another kind of object holds the name", false, true, true, -1},
    };
    for (const Row& row : rows) {
        standin::Reset(hostRoot);
        int mutex = row.mutex ? standin::HoldMutex(name) : 0;
        int event = row.otherKind ? standin::HoldEvent(name) : 0;
        // Any title; class names match without regard to ASCII case.
        int window = row.window ? standin::OpenWindow(Sjis("C::ソフト:VELMIRA.EXE"), "title") : 0;
        EXPECT_EQ(IsGameRunning(name.c_str()), row.want) << row.situation;
        EXPECT_EQ(standin::OpenHandleCount(), 0) << row.situation << ": probe left open";
        EXPECT_EQ(standin::ObjectExists(name), row.mutex || row.otherKind) << row.situation;
        if (!row.mutex) {
            // Without a mutex the window is not looked for.
            const auto& log = standin::CallLog();
            EXPECT_EQ(std::count(log.begin(), log.end(), "FindWindowA"), 0) << row.situation;
        }
        if (mutex) standin::ReleaseObject(mutex);
        if (event) standin::ReleaseObject(event);
        if (window) standin::CloseWindow(window);
    }
}

TEST_F(RunningGameTest, AProbeMutexThatCannotBeCreatedIsMinusOne) {
    standin::FailFunction("CreateMutexA", 1, false);
    EXPECT_EQ(IsGameRunning("c::games:velmira.exe"), -1);
    EXPECT_EQ(standin::OpenHandleCount(), 0);
}

}  // namespace
