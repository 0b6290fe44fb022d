// Where the save files are: the mode word of the settings file and the special folders.
#include <algorithm>
#include <string>

#include <cstring>

#include "game/save_folder.h"
#include "tests/support/fixture.h"

namespace {

const char kInstallDir[] = "C:\\Games\\VN\\";
const char kSettingsPath[] = "C:\\Games\\VN\\tvcfg.dat";
const char kAppData[] = "C:\\Users\\A\\AppData\\Roaming";
const char kDocuments[] = "C:\\Users\\A\\Documents";

class SaveFolderTest : public StandinTest {
protected:
    void SetUp() override {
        StandinTest::SetUp();
        standin::SetSpecialFolder(CSIDL_APPDATA, kAppData);
        standin::SetSpecialFolder(CSIDL_PERSONAL, kDocuments);
    }

    int SpecialFolderLookups() {
        const auto& log = standin::CallLog();
        return static_cast<int>(std::count(log.begin(), log.end(), "SHGetSpecialFolderPathA"));
    }
};

TEST_F(SaveFolderTest, ModeWordChoosesTheFolder) {
    const std::string mode0 = "C:\\Games\\VN\\save\\";
    const std::string mode1 = "C:\\Users\\A\\AppData\\Roaming\\MORVALE_SaveData\\velmira\\save\\";
    const std::string mode2 = "C:\\Users\\A\\Documents\\MORVALE_SaveData\\velmira\\save\\";
    const std::string mode3 =
        "C:\\Users\\A\\Documents\\My Games\\MORVALE_SaveData\\velmira\\save\\";
    struct Row {
        const char* name;
        std::string settings;
        int modeBefore;
        int mode;
        std::string folder;
    } rows[] = {
        {"empty file", "", 0, 0, mode0},
        {"84 bytes", SettingsFile(84, 0, '\x01'), 0, 0, mode0},
        {"85 bytes ending in 2", SettingsFile(85, 2), 0, 2, mode2},
        {"mode 0", SettingsFile(128, 0), 0, 0, mode0},
        {"mode 1", SettingsFile(128, 1), 0, 1, mode1},
        {"mode 2", SettingsFile(128, 2), 0, 2, mode2},
        {"mode 3", SettingsFile(128, 3), 0, 3, mode3},
        {"mode 4 ignored", SettingsFile(128, 4), 0, 0, mode0},
        {"mode 256 ignored", SettingsFile(128, 256), 0, 0, mode0},
        {"mode -1 ignored", SettingsFile(128, 0xFFFFFFFFu), 0, 0, mode0},
        {"an ignored word keeps the mode before", SettingsFile(128, 9), 2, 2, mode2},
        {"bytes past 128 unread", SettingsFile(128, 1) + std::string(64, '\x03'), 0, 1, mode1},
    };
    for (const Row& row : rows) {
        ResetUpdaterState();
        SaveLocationMode = row.modeBefore;
        ASSERT_TRUE(standin::WriteBytes(kSettingsPath, row.settings));
        EXPECT_EQ(ResolveSaveFolder(kInstallDir), 0) << row.name;
        EXPECT_EQ(SaveLocationMode, row.mode) << row.name;
        EXPECT_EQ(std::string(SaveFolder), row.folder) << row.name;
        EXPECT_EQ(std::string(AppDataFolder), kAppData) << row.name;
        EXPECT_EQ(std::string(DocumentsFolder), kDocuments) << row.name;
        EXPECT_TRUE(standin::Boxes().empty()) << row.name;
        EXPECT_EQ(standin::OpenHandleCount(), 0) << row.name << ": settings file left open";
    }
}

TEST_F(SaveFolderTest, ASettingsFileThatDoesNotOpenStopsWithOneBox) {
    struct Row {
        const char* name;
        bool create;
        DWORD holdShare;  // held by another process when not ~0
    } rows[] = {
        {"missing", false, ~0u},
        {"locked without sharing", true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        standin::Reset(hostRoot);
        ResetUpdaterState();
        standin::SetSpecialFolder(CSIDL_APPDATA, kAppData);
        standin::SetSpecialFolder(CSIDL_PERSONAL, kDocuments);
        int held = 0;
        if (row.create) {
            ASSERT_TRUE(standin::WriteBytes(kSettingsPath, SettingsFile(128, 1)));
            held = standin::HoldFile(kSettingsPath, GENERIC_READ | GENERIC_WRITE, row.holdShare);
            ASSERT_GT(held, 0);
        }
        EXPECT_EQ(ResolveSaveFolder(kInstallDir), -1);
        ASSERT_EQ(standin::Boxes().size(), 1u);
        const standin::Box& box = standin::Boxes()[0];
        EXPECT_EQ(Escaped(box.text), Escaped(expected::kSettingsMissing));
        EXPECT_EQ(Escaped(box.caption), Escaped(expected::kCapError));
        EXPECT_EQ(box.style, MB_OK);
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(std::string(SaveFolder), "");
        EXPECT_EQ(SaveLocationMode, 0);
        EXPECT_EQ(SpecialFolderLookups(), 2);  // made before the file was tried
        EXPECT_EQ(standin::OpenHandleCount(), 0);
        if (held) {
            standin::ReleaseFile(held);
        }
    }
}

TEST_F(SaveFolderTest, FailedFolderLookupsLeaveTheSuffixAlone) {
    standin::SetSpecialFolder(CSIDL_APPDATA, nullptr);
    standin::SetSpecialFolder(CSIDL_PERSONAL, nullptr);
    ASSERT_TRUE(standin::WriteBytes(kSettingsPath, SettingsFile(128, 1)));
    EXPECT_EQ(ResolveSaveFolder(kInstallDir), 0);
    EXPECT_EQ(std::string(SaveFolder), "\\MORVALE_SaveData\\velmira\\save\\");
    EXPECT_EQ(std::string(AppDataFolder), "");
    EXPECT_EQ(SpecialFolderLookups(), 2);
    EXPECT_TRUE(standin::Boxes().empty());
}

TEST_F(SaveFolderTest, TheLongestFolderFitsAndATooLongInstallFolderIsASettingsStop) {
    // A documents folder of 259 bytes gives the longest save folder: 299 bytes.
    std::string documents = "C:\\" + std::string(256, 'd');
    standin::SetSpecialFolder(CSIDL_PERSONAL, documents.c_str());
    ASSERT_TRUE(standin::WriteBytes(kSettingsPath, SettingsFile(128, 3)));
    EXPECT_EQ(ResolveSaveFolder(kInstallDir), 0);
    EXPECT_EQ(strlen(SaveFolder), 299u);

    // "\tvcfg.dat" after an install folder of 251 bytes does not fit a path: one box, -1.
    std::string longInstall = "C:\\" + std::string(247, 'i') + "\\";
    EXPECT_EQ(ResolveSaveFolder(longInstall.c_str()), -1);
    ASSERT_EQ(standin::Boxes().size(), 1u);
    EXPECT_EQ(Escaped(standin::Boxes()[0].text), Escaped(expected::kSettingsMissing));
}

}  // namespace
