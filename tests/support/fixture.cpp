#include "tests/support/fixture.h"

#include <iconv.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/discovery.h"
#include "app/message_box.h"
#include "game/running_game.h"
#include "game/save_folder.h"

namespace {

std::string Convert(const std::string& input, const char* to, const char* from) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv cannot convert " << from << " to " << to;
        return "";
    }
    std::string output(input.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char* out = &output[0];
    size_t outLeft = output.size();
    if (iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1)) {
        ADD_FAILURE() << "cannot convert \"" << Escaped(input) << "\" to " << to;
    }
    iconv_close(converter);
    output.resize(output.size() - outLeft);
    return output;
}

}  // namespace

std::string Sjis(const std::string& utf8) { return Convert(utf8, "CP932", "UTF-8"); }
std::string Utf8(const std::string& sjis) { return Convert(sjis, "UTF-8", "CP932"); }

std::string Escaped(const std::string& bytes) {
    std::string out;
    for (unsigned char byte : bytes) {
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out += static_cast<char>(byte);
        } else {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        }
    }
    return out;
}

std::string SettingsFile(size_t size, uint32_t mode, char filler) {
    std::string bytes(std::max<size_t>(size, 88), filler);
    for (int i = 0; i < 4; ++i) {
        bytes[84 + i] = static_cast<char>((mode >> (8 * i)) & 0xFF);
    }
    bytes.resize(size);
    return bytes;
}

void ResetUpdaterState() {
    if (GameRegistryKey != nullptr) {
        RegCloseKey(GameRegistryKey);
        GameRegistryKey = nullptr;
    }
    SaveLocationMode = 0;
    AppDataFolder[0] = '\0';
    DocumentsFolder[0] = '\0';
    SaveFolder[0] = '\0';
    InstanceName[0] = '\0';
    MessageBuffer[0] = '\0';
}

void StandinTest::SetUp() {
    char pattern[] = "/tmp/tavrin-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    ASSERT_NE(made, nullptr);
    hostRoot = made;
    ResetUpdaterState();
    standin::Reset(hostRoot);
}

void StandinTest::TearDown() {
    ResetUpdaterState();
    std::error_code ignored;
    std::filesystem::remove_all(hostRoot, ignored);
}

namespace expected {
const std::string kNotInstalled =
    Sjis("ヴェルミラ が正常にインストールされていません\nインストール後、実行してください");
const std::string kSettingsMissing = Sjis("セーブファイル格納情報データがありませんでした。");
const std::string kGameRunning = Sjis("ヴェルミラ が起動中です。\n一旦終了させてください。");
const std::string kGameMayBeRunning =
    Sjis("ヴェルミラ が起動している可能性があります\n終了後、もう一度実行してください");
const std::string kPackageIncomplete = Sjis(
    "アップデートファイル自体のデータが揃っていないか、または破損しています。\n"
    "お手数をおかけいたしますがもう一度ダウンロードし直してみてください。");
const std::string kConfirmDetected = Sjis(
    "ヴェルミラ のインストールデータを検出しました。\r\n\r\n"
    "これから ver1.01 へのアップデートをおこないます。\r\n"
    "ゲームを起動している場合は、一旦ゲームを終了させておいてください。\r\n\r\n"
    "※ご注意※\n"
    "以前のセーブデータおよびクリア情報等は自動的に消去されます。\r\n"
    "大変ご迷惑をおかけいたしますが、ご了承くださいませ。");
const std::string kConfirmStart = Sjis(
    "ver1.01 へアップデート処理を開始します。よろしいですか？\r\n\r\n"
    "アップデート処理には数秒程かかりますので\r\n"
    "完了メッセージが表示されるまで、そのままでお待ちください。");
const std::string kCancelled = Sjis("アップデート処理をキャンセルしました。");
const std::string kSuccess = Sjis(
    "ver1.01 にアップデート成功しました。\r\n\r\n"
    "ゲームを起動して、タイトルバーに「ver1.01」と表示されているかご確認ください。");
const std::string kCopyFailed = Sjis(
    "一部ファイルがコピー出来ませんでした。\n\n読み取り専用属性になっている可能性があります。");
const std::string kCapError = Sjis("エラー");
const std::string kCapErrorNo1 = Sjis("エラー No.1");
const std::string kCapErrorNo2 = Sjis("エラー No.2");
const std::string kCapErrorNo3 = Sjis("エラー No.3");
const std::string kCapUpdate = Sjis("ヴェルミラ アップデート");
const std::string kCapCancelled = Sjis("中断");
const std::string kCapDone = Sjis("完了");
const std::string kCapFailed = Sjis("失敗");
}  // namespace expected
