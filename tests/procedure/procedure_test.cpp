// Whole runs of the updater through WinMain against a stand-in installation: the boxes shown,
// in order and byte for byte, the files replaced and deleted, and nothing else changed.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/fixture.h"

namespace {

const char kInstallDir[] = "C:\\Games\\Velmira\\";
const char kPackageDir[] = "C:\\Download\\VelmiraUpdate";
const char kAppData[] = "C:\\Users\\A\\AppData\\Roaming";
const char kDocuments[] = "C:\\Users\\A\\Documents";
const char kRegistryKey[] = "Software\\MORVALE\\velmira";

// The three installed files: package source, destination under the install folder.
struct InstalledFile {
    std::string source;
    std::string destination;
};
const InstalledFile kInstalled[] = {
    {"data\\inst.ini", "inst.ini"},
    {"data\\pac\\bn.tvp", "pac\\bn.tvp"},
    {"data\\pac\\update1.tvp", "pac\\update1.tvp"},
};

std::string SaveFolderFor(int mode, const std::string& installDir = kInstallDir) {
    const std::string suffix = "\\MORVALE_SaveData\\velmira\\save\\";
    switch (mode) {
        case 1: return kAppData + suffix;
        case 2: return kDocuments + suffix;
        case 3: return std::string(kDocuments) + "\\My Games" + suffix;
        default: return installDir + "save\\";
    }
}

void SetDir(const std::string& dir) {
    standin::RegSetValue(HKEY_CURRENT_USER, kRegistryKey, "Dir", REG_SZ, dir + '\0');
}

// A complete installation under `installDir` with saves in the folder of `mode`, and a
// complete package in kPackageDir, which is the current directory. No registry entry.
void InstallFiles(const std::string& installDir = kInstallDir, int mode = 0) {
    standin::WriteBytes(installDir + "inst.ini", "old ini");
    standin::WriteBytes(installDir + "pac\\bn.tvp", "old main pack");
    standin::WriteBytes(installDir + "pac\\update1.tvp", "old update pack");
    standin::WriteBytes(installDir + "velmira.exe", "game");
    standin::WriteBytes(installDir + "tvcfg.dat", SettingsFile(128, static_cast<uint32_t>(mode)));
    const std::string saves = SaveFolderFor(mode, installDir);
    for (const char* name : {"a.sd", "B.SD", "c.sdx", "d.sd.bak", "e.sd\\g.sd", "sub\\f.sd"}) {
        standin::WriteBytes(saves + name, "save");
    }
    const std::string package = std::string(kPackageDir) + "\\";
    standin::WriteBytes(package + "data\\inst.ini", "new ini");
    standin::WriteBytes(package + "data\\pac\\bn.tvp", std::string(70000, 'B'));
    standin::WriteBytes(package + "data\\pac\\update1.tvp", std::string(3000, 'U'));
    standin::WriteBytes(package + "Updater.exe", "updater");
    standin::SetCurrentDir(kPackageDir);
}

// The same, registered as the installer does it.
void Install(const std::string& installDir = kInstallDir, int mode = 0) {
    SetDir(installDir);
    InstallFiles(installDir, mode);
}

const std::string kLongInstallDir = "C:\\" + std::string(245, 'L') + "\\";  // 249 bytes

struct ExpectedBox {
    std::string caption;
    std::string text;
    UINT style;
};

const UINT kAsk = MB_YESNO | MB_ICONINFORMATION;

// The expected texts live in another file: build the boxes at run time, not at static start-up.
ExpectedBox NotInstalled(const std::string& caption) { return {caption, expected::kNotInstalled, MB_OK}; }
std::vector<ExpectedBox> Confirmations() {
    return {{expected::kCapUpdate, expected::kConfirmDetected, kAsk},
            {expected::kCapUpdate, expected::kConfirmStart, kAsk}};
}
std::vector<ExpectedBox> ConfirmationsThen(const ExpectedBox& last) {
    std::vector<ExpectedBox> boxes = Confirmations();
    boxes.push_back(last);
    return boxes;
}
ExpectedBox SuccessBox() { return {expected::kCapDone, expected::kSuccess, MB_OK}; }
ExpectedBox FailedBox() { return {expected::kCapFailed, expected::kCopyFailed, MB_OK}; }
ExpectedBox CancelledBox() { return {expected::kCapCancelled, expected::kCancelled, MB_OK}; }

const std::vector<std::string> kAllCopied = {"inst.ini", "pac\\bn.tvp", "pac\\update1.tvp"};
const std::vector<std::string> kSavesGone = {"a.sd", "B.SD"};

struct Scenario {
    const char* name;
    std::function<void()> setup;  // builds the world
    std::vector<int> answers;
    std::vector<ExpectedBox> boxes;
    std::vector<std::string> replaced;  // destinations, relative to kInstallDir
    std::vector<std::string> deleted;   // save files, relative to the mode-0 save folder
    std::string installDir = kInstallDir;
    int mode = 0;
};

std::vector<Scenario> Scenarios() {
    const std::vector<int> yesYes = {IDYES, IDYES};
    const std::vector<ExpectedBox> success = ConfirmationsThen(SuccessBox());
    const std::vector<ExpectedBox> failed = ConfirmationsThen(FailedBox());
    const ExpectedBox errorBox = {expected::kCapError, "", MB_OK};
    auto error = [errorBox](const std::string& text) {
        ExpectedBox box = errorBox;
        box.text = text;
        return std::vector<ExpectedBox>{box};
    };
    std::vector<Scenario> table = {
        // Discovery
        {"no registry key", [] { InstallFiles(); }, {}, {NotInstalled(expected::kCapErrorNo1)}, {}, {}},
        {"key only under the machine root",
         [] {
             InstallFiles();
             standin::RegSetValue(HKEY_LOCAL_MACHINE, kRegistryKey, "Dir", REG_SZ,
                                  std::string(kInstallDir) + '\0');
         },
         {}, {NotInstalled(expected::kCapErrorNo1)}, {}, {}},
        {"key refuses full access",
         [] {
             Install();
             standin::RegDenyFullAccess(HKEY_CURRENT_USER, kRegistryKey);
         },
         {}, {NotInstalled(expected::kCapErrorNo1)}, {}, {}},
        {"key without value Dir",
         [] {
             InstallFiles();
             standin::RegSetValue(HKEY_CURRENT_USER, kRegistryKey, "Path", REG_SZ,
                                  std::string(kInstallDir) + '\0');
         },
         {}, {NotInstalled(expected::kCapErrorNo2)}, {}, {}},
        {"Dir of 261 bytes of text",
         [] {
             InstallFiles();
             SetDir("C:\\" + std::string(257, 'x') + "\\");
         },
         {}, {NotInstalled(expected::kCapErrorNo2)}, {}, {}},
        {"Dir of 261 bytes without terminator",
         [] {
             InstallFiles();
             standin::RegSetValue(HKEY_CURRENT_USER, kRegistryKey, "Dir", REG_BINARY,
                                  "C:\\" + std::string(257, 'x') + "\\");
         },
         {}, {NotInstalled(expected::kCapErrorNo2)}, {}, {}},
        {"Dir without trailing separator", [] { Install(); SetDir("C:\\Games\\Velmira"); }, {},
         {NotInstalled(expected::kCapErrorNo3)}, {}, {}},
        {"inst.ini missing",
         [] {
             Install();
             DeleteFileA("C:\\Games\\Velmira\\inst.ini");
         },
         {}, {NotInstalled(expected::kCapErrorNo3)}, {}, {}},
        {"pac missing",
         [] {
             InstallFiles();
             SetDir("C:\\Other\\");
             standin::WriteBytes("C:\\Other\\inst.ini", "x");
         },
         {}, {NotInstalled(expected::kCapErrorNo3)}, {}, {}},
        {"Dir of 260 bytes: the probes do not fit and count as missing",
         [] {
             InstallFiles();
             SetDir("C:\\" + std::string(256, 'x') + "\\");
         },
         {}, {NotInstalled(expected::kCapErrorNo3)}, {}, {}},
        {"pac is a file: discovery passes, the main pack does not open",
         [] {
             InstallFiles();
             SetDir("C:\\Other\\");
             standin::WriteBytes("C:\\Other\\inst.ini", "x");
             standin::WriteBytes("C:\\Other\\pac", "x");
             standin::WriteBytes("C:\\Other\\tvcfg.dat", "");
         },
         {}, error(expected::kGameMayBeRunning), {}, {}},
        {"Dir stored as binary without terminator",
         [] {
             InstallFiles();
             standin::RegSetValue(HKEY_CURRENT_USER, kRegistryKey, "Dir", REG_BINARY, kInstallDir);
         },
         yesYes, success, kAllCopied, kSavesGone},
        {"Dir stored as a string without terminator",
         [] {
             InstallFiles();
             standin::RegSetValue(HKEY_CURRENT_USER, kRegistryKey, "Dir", REG_SZ, kInstallDir);
         },
         yesYes, success, kAllCopied, kSavesGone},

        // Pre-update checks, each also with a later check failing: the first stop wins.
        {"settings file missing",
         [] {
             Install();
             DeleteFileA("C:\\Games\\Velmira\\tvcfg.dat");
             standin::HoldMutex("c::games:velmira:velmira.exe");
             standin::OpenWindow("c::games:velmira:velmira.exe", "Velmira");
         },
         {}, error(expected::kSettingsMissing), {}, {}},
        {"game running",
         [] {
             Install();
             DeleteFileA("C:\\Download\\VelmiraUpdate\\data\\inst.ini");
             standin::HoldMutex("c::games:velmira:velmira.exe");
             standin::OpenWindow("c::games:velmira:velmira.exe", "Velmira");
         },
         {}, error(expected::kGameRunning), {}, {}},
        {"running-game probe fails",
         [] {
             Install();
             standin::HoldEvent("c::games:velmira:velmira.exe");
         },
         {}, error(expected::kGameRunning), {}, {}},
        {"mutex without window is no running game",
         [] {
             Install();
             standin::HoldMutex("c::games:velmira:velmira.exe");
         },
         yesYes, success, kAllCopied, kSavesGone},
        {"main pack missing",
         [] {
             Install();
             DeleteFileA("C:\\Games\\Velmira\\pac\\bn.tvp");
             DeleteFileA("C:\\Download\\VelmiraUpdate\\data\\inst.ini");
         },
         {}, error(expected::kGameMayBeRunning), {}, {}},
        {"main pack held without sharing",
         [] {
             Install();
             standin::HoldFile("C:\\Games\\Velmira\\pac\\bn.tvp", GENERIC_READ, 0);
         },
         {}, error(expected::kGameMayBeRunning), {}, {}},
        {"package folder missing", [] { Install(); standin::SetCurrentDir("C:\\Download"); }, {},
         error(expected::kPackageIncomplete), {}, {}},
        {"started in another folder than the package's",
         [] {
             Install();
             standin::MakeFolder("C:\\Elsewhere");
             standin::SetCurrentDir("C:\\Elsewhere");
         },
         {}, error(expected::kPackageIncomplete), {}, {}},
        {"update pack missing from the package",
         [] {
             Install();
             DeleteFileA("C:\\Download\\VelmiraUpdate\\data\\pac\\update1.tvp");
         },
         {}, error(expected::kPackageIncomplete), {}, {}},

        // Confirmation, installation and report
        {"cancel at the first confirmation", [] { Install(); }, {IDNO},
         {Confirmations()[0], CancelledBox()}, {}, {}},
        {"cancel at the second confirmation", [] { Install(); }, {IDYES, IDNO},
         ConfirmationsThen(CancelledBox()), {}, {}},
        {"full update", [] { Install(); }, yesYes, success, kAllCopied, kSavesGone},
        {"confirmations that fail to show go on", [] { Install(); }, {0, 0}, success, kAllCopied,
         kSavesGone},
        {"no guard: the name is held by another kind of object",
         [] {
             Install();
             standin::HoldEvent("TAVRIN_Updater");
         },
         yesYes, success, kAllCopied, kSavesGone},
        {"update pack not yet installed is created",
         [] {
             Install();
             DeleteFileA("C:\\Games\\Velmira\\pac\\update1.tvp");
         },
         yesYes, success, kAllCopied, kSavesGone},
        {"read-only inst.ini: the others are copied and the saves still go",
         [] {
             Install();
             SetFileAttributesA("C:\\Games\\Velmira\\inst.ini", FILE_ATTRIBUTE_READONLY);
         },
         yesYes, failed, {"pac\\bn.tvp", "pac\\update1.tvp"}, kSavesGone},
        {"a copy that fails part-way leaves the old file whole",
         [] {
             Install();
             standin::FailCopyPartway("", 3);
         },
         yesYes, failed, {"pac\\bn.tvp", "pac\\update1.tvp"}, kSavesGone},
        {"a folder in place of the update pack",
         [] {
             Install();
             DeleteFileA("C:\\Games\\Velmira\\pac\\update1.tvp");
             standin::MakeFolder("C:\\Games\\Velmira\\pac\\update1.tvp");
         },
         yesYes, failed, {"inst.ini", "pac\\bn.tvp"}, kSavesGone},
        {"a read-only save file stays",
         [] {
             Install();
             SetFileAttributesA("C:\\Games\\Velmira\\save\\a.sd", FILE_ATTRIBUTE_READONLY);
         },
         yesYes, success, kAllCopied, {"B.SD"}},
        {"the lister fails: copies made, no save deleted, no box",
         [] {
             Install();
             standin::FailFunction("HeapAlloc", 1, true);
         },
         yesYes, Confirmations(), kAllCopied, {}},
        {"no save folder at all",
         [] {
             Install();
             std::filesystem::remove_all(standin::HostPath("C:\\Games\\Velmira\\save"));
         },
         yesYes, success, kAllCopied, {}},
        {"save folder longer than a path: nothing deleted",
         [] {
             Install();
             standin::WriteBytes("C:\\Games\\Velmira\\tvcfg.dat", SettingsFile(128, 3));
             std::string documents = "C:\\" + std::string(256, 'd');
             standin::SetSpecialFolder(CSIDL_PERSONAL, documents.c_str());
         },
         yesYes, success, kAllCopied, {}},
    };
    for (int mode = 1; mode <= 3; ++mode) {
        Scenario inMode = {"full update, saves in another folder", [mode] { Install(kInstallDir, mode); },
                           yesYes, success, kAllCopied, kSavesGone};
        inMode.mode = mode;
        table.push_back(inMode);
    }
    Scenario longDir = {"long install folder: the update pack's path does not fit",
                        [] { Install(kLongInstallDir); }, yesYes, failed,
                        {"inst.ini", "pac\\bn.tvp"}, kSavesGone};
    longDir.installDir = kLongInstallDir;
    table.push_back(longDir);
    return table;
}

// The snapshot names an entry by its Windows path with the name as stored on the host (UTF-8);
// the fixture writes every name in the case it is looked up with.
std::string KeyOf(const std::string& windowsPath) { return Utf8(windowsPath); }

class ProcedureTest : public StandinTest {
protected:
    void SetUp() override {
        StandinTest::SetUp();
        standin::SetSpecialFolder(CSIDL_APPDATA, kAppData);
        standin::SetSpecialFolder(CSIDL_PERSONAL, kDocuments);
    }

    // Runs the updater once and checks boxes, exit code and every change on disk.
    void Check(const Scenario& scenario) {
        SCOPED_TRACE(std::string(scenario.name) + " (save mode " + std::to_string(scenario.mode) + ")");
        standin::ScriptAnswers(scenario.answers);
        auto before = standin::Snapshot();
        std::map<std::string, standin::Entry> want(before.begin(), before.end());
        for (const InstalledFile& file : kInstalled) {
            if (std::find(scenario.replaced.begin(), scenario.replaced.end(), file.destination) ==
                scenario.replaced.end()) {
                continue;
            }
            std::string source = std::string(kPackageDir) + "\\" + file.source;
            standin::Entry entry = want.at(KeyOf(source));
            want[KeyOf(scenario.installDir + file.destination)] = entry;
        }
        for (const std::string& name : scenario.deleted) {
            std::string save = SaveFolderFor(scenario.mode, scenario.installDir) + name;
            ASSERT_EQ(want.erase(KeyOf(save)), 1u) << "no save file " << save;
        }

        EXPECT_EQ(WinMain(nullptr, nullptr, const_cast<char*>(""), 1), 0);

        const auto& boxes = standin::Boxes();
        for (size_t i = 0; i < std::max(boxes.size(), scenario.boxes.size()); ++i) {
            if (i >= boxes.size() || i >= scenario.boxes.size()) {
                ADD_FAILURE() << "box " << i << ": "
                              << (i >= boxes.size() ? "expected but not shown: " + Utf8(scenario.boxes[i].caption)
                                                    : "shown but not expected: " + Utf8(boxes[i].caption));
                continue;
            }
            EXPECT_EQ(Escaped(boxes[i].caption), Escaped(scenario.boxes[i].caption)) << "box " << i;
            EXPECT_EQ(Escaped(boxes[i].text), Escaped(scenario.boxes[i].text))
                << "box " << i << ", expected: " << Utf8(scenario.boxes[i].text);
            EXPECT_EQ(boxes[i].style, scenario.boxes[i].style) << "box " << i;
            EXPECT_EQ(boxes[i].owner, nullptr) << "box " << i;
        }

        auto after = standin::Snapshot();
        std::map<std::string, standin::Entry> got(after.begin(), after.end());
        for (const auto& [path, entry] : want) {
            auto found = got.find(path);
            if (found == got.end()) {
                ADD_FAILURE() << "gone: " << path;
            } else if (!(found->second == entry)) {
                ADD_FAILURE() << "changed: " << path << " now \"" << found->second.content.substr(0, 20)
                              << "\" attributes " << found->second.attributes;
            }
        }
        for (const auto& [path, entry] : got) {
            if (want.count(path) == 0) {
                ADD_FAILURE() << "appeared: " << path;
            }
        }
        EXPECT_EQ(standin::OpenHandleCount(), 0);
        EXPECT_EQ(standin::HeapBlocksOutstanding(), 0);
    }
};

TEST_F(ProcedureTest, EveryScenarioShowsItsBoxesAndChangesOnlyWhatItShould) {
    for (const Scenario& scenario : Scenarios()) {
        standin::Reset(hostRoot);
        ResetUpdaterState();
        std::filesystem::remove_all(hostRoot);
        std::filesystem::create_directory(hostRoot);
        standin::Reset(hostRoot);
        standin::SetSpecialFolder(CSIDL_APPDATA, kAppData);
        standin::SetSpecialFolder(CSIDL_PERSONAL, kDocuments);
        scenario.setup();
        Check(scenario);
    }
}

// A second updater started while the first shows a box ends at once, silently; the first goes
// on. The second runs in a forked child: a process of its own that sees the same named objects.
int secondUpdaterExit = -1;
void StartSecondUpdater(const standin::Box&) {
    standin::SetBoxHook(nullptr);
    size_t boxesBefore = standin::Boxes().size();
    pid_t child = fork();
    if (child == 0) {
        int result = WinMain(nullptr, nullptr, const_cast<char*>("/again"), 1);
        _exit(result == 0 && standin::Boxes().size() == boxesBefore ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    secondUpdaterExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(ProcedureTest, OneUpdaterAtATime) {
    Install();
    standin::SetBoxHook(StartSecondUpdater);
    standin::ScriptAnswers({IDNO});
    EXPECT_EQ(WinMain(nullptr, nullptr, const_cast<char*>(""), 1), 0);
    EXPECT_EQ(secondUpdaterExit, 0) << "the second updater showed a box or did not return 0";
    ASSERT_EQ(standin::Boxes().size(), 2u);  // the first's question and its cancellation
    EXPECT_EQ(Escaped(standin::Boxes()[1].caption), Escaped(expected::kCapCancelled));
    EXPECT_FALSE(standin::ObjectExists("TAVRIN_Updater"));

    ResetUpdaterState();
    standin::ScriptAnswers({IDYES, IDYES});
    EXPECT_EQ(WinMain(nullptr, nullptr, const_cast<char*>(""), 1), 0);
    ASSERT_EQ(standin::Boxes().size(), 5u);
    EXPECT_EQ(Escaped(standin::Boxes()[4].text), Escaped(expected::kSuccess));
}

TEST_F(ProcedureTest, AtMost8192SaveFilesGoInTheOrderFound) {
    Install();
    const std::string saves = "C:\\Games\\Velmira\\save\\";
    const std::string host = standin::HostPath(saves);
    for (int i = 0; i < 8200; ++i) {
        std::ofstream(host + "/s" + std::to_string(i) + ".sd") << "x";
    }
    // The first 8192 matching files of the enumeration go, whatever their names.
    std::vector<std::string> enumerated;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((saves + "*.*").c_str(), &entry);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        std::string name = entry.cFileName;
        bool isSave = name.size() > 3 && (name.substr(name.size() - 3) == ".sd" ||
                                          name.substr(name.size() - 3) == ".SD");
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && isSave) {
            enumerated.push_back(name);
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    ASSERT_EQ(enumerated.size(), 8202u);  // with a.sd and B.SD

    standin::ScriptAnswers({IDYES, IDYES});
    EXPECT_EQ(WinMain(nullptr, nullptr, const_cast<char*>(""), 1), 0);
    for (size_t i = 0; i < enumerated.size(); ++i) {
        EXPECT_EQ(standin::Exists(saves + enumerated[i]), i >= 8192) << enumerated[i];
    }
    EXPECT_EQ(Escaped(standin::Boxes().back().text), Escaped(expected::kSuccess));
    EXPECT_EQ(standin::HeapBlocksOutstanding(), 0);
}

TEST_F(ProcedureTest, BothInstallProbesAndAllFourPackageEntriesAreAlwaysAsked) {
    // "inst.ini" missing: "pac" is still probed. The package folder missing: its three files
    // are still asked. Counted as attribute queries in the platform call log.
    struct Row {
        const char* name;
        void (*arrange)();
        long queries;
    } rows[] = {
        {"inst.ini missing", [] { DeleteFileA("C:\\Games\\Velmira\\inst.ini"); }, 2},
        {"package missing", [] { standin::SetCurrentDir("C:\\"); }, 2 + 4},
    };
    for (const Row& row : rows) {
        standin::Reset(hostRoot);
        ResetUpdaterState();
        Install();
        row.arrange();
        size_t logged = standin::CallLog().size();
        WinMain(nullptr, nullptr, const_cast<char*>(""), 1);
        const auto& log = standin::CallLog();
        EXPECT_EQ(std::count(log.begin() + static_cast<long>(logged), log.end(), "GetFileAttributesA"),
                  row.queries)
            << row.name;
    }
}

}  // namespace
