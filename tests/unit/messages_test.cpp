// The catalogue's bytes against the Japanese texts converted here, and the formatter that puts
// the title and version into them.
#include <cstring>
#include <string>

#include "app/message_box.h"
#include "app/messages.h"
#include "tests/support/fixture.h"

namespace {

struct CatalogueRow {
    const char* id;
    const char* stored;   // the catalogue's bytes
    const char* utf8;     // the text as a reader sees it
    size_t storedBytes;   // without the terminator
};

const CatalogueRow kCatalogue[] = {
    {"MSG_NOT_INSTALLED", MSG_NOT_INSTALLED,
     "%s が正常にインストールされていません\nインストール後、実行してください", 70},
    {"MSG_SETTINGS_MISSING", MSG_SETTINGS_MISSING,
     "セーブファイル格納情報データがありませんでした。", 48},
    {"MSG_GAME_RUNNING", MSG_GAME_RUNNING, "%s が起動中です。\n一旦終了させてください。", 42},
    {"MSG_GAME_MAY_BE_RUNNING", MSG_GAME_MAY_BE_RUNNING,
     "%s が起動している可能性があります\n終了後、もう一度実行してください", 66},
    {"MSG_PACKAGE_INCOMPLETE", MSG_PACKAGE_INCOMPLETE,
     "アップデートファイル自体のデータが揃っていないか、または破損しています。\n"
     "お手数をおかけいたしますがもう一度ダウンロードし直してみてください。",
     141},
    {"MSG_CONFIRM_DETECTED", MSG_CONFIRM_DETECTED,
     "%s のインストールデータを検出しました。\r\n\r\nこれから ver%s へのアップデートをおこないます。"
     "\r\nゲームを起動している場合は、一旦ゲームを終了させておいてください。\r\n\r\n※ご注意※\n"
     "以前のセーブデータおよびクリア情報等は自動的に消去されます。\r\n"
     "大変ご迷惑をおかけいたしますが、ご了承くださいませ。",
     287},
    {"MSG_CONFIRM_START", MSG_CONFIRM_START,
     "ver%s へアップデート処理を開始します。よろしいですか？\r\n\r\nアップデート処理には数秒程かかり"
     "ますので\r\n完了メッセージが表示されるまで、そのままでお待ちください。",
     158},
    {"MSG_CANCELLED", MSG_CANCELLED, "アップデート処理をキャンセルしました。", 38},
    {"MSG_SUCCESS", MSG_SUCCESS,
     "ver%s にアップデート成功しました。\r\n\r\nゲームを起動して、タイトルバーに「ver%s」と表示"
     "されているかご確認ください。",
     113},
    {"MSG_COPY_FAILED", MSG_COPY_FAILED,
     "一部ファイルがコピー出来ませんでした。\n\n読み取り専用属性になっている可能性があります。", 86},
    {"CAP_ERROR", CAP_ERROR, "エラー", 6},
    {"CAP_ERROR_NO1", CAP_ERROR_NO1, "エラー No.1", 11},
    {"CAP_ERROR_NO2", CAP_ERROR_NO2, "エラー No.2", 11},
    {"CAP_ERROR_NO3", CAP_ERROR_NO3, "エラー No.3", 11},
    {"CAP_UPDATE", CAP_UPDATE, "%s アップデート", 15},
    {"CAP_CANCELLED", CAP_CANCELLED, "中断", 4},
    {"CAP_DONE", CAP_DONE, "完了", 4},
    {"CAP_FAILED", CAP_FAILED, "失敗", 4},
    {"kGameTitle", kGameTitle, "ヴェルミラ", 10},
    {"kTargetVersion", kTargetVersion, "1.01", 4},
};

TEST(Catalogue, EveryTextHasExactlyTheShiftJisBytesOfItsJapanese) {
    for (const CatalogueRow& row : kCatalogue) {
        std::string stored(row.stored);
        EXPECT_EQ(Escaped(stored), Escaped(Sjis(row.utf8))) << row.id;
        EXPECT_EQ(stored.size(), row.storedBytes) << row.id;
    }
}

TEST(Catalogue, TrailBytesOf0x5CSurviveInTheFourTextsThatHoldThem) {
    const char kNo[] = "\x94\x5C";     // 能
    const char kTable[] = "\x95\x5C";  // 表
    EXPECT_NE(strstr(MSG_GAME_MAY_BE_RUNNING, kNo), nullptr);
    EXPECT_NE(strstr(MSG_COPY_FAILED, kNo), nullptr);
    EXPECT_NE(strstr(MSG_CONFIRM_START, kTable), nullptr);
    EXPECT_NE(strstr(MSG_SUCCESS, kTable), nullptr);
    // And they reach the box unchanged after formatting.
    char out[kMessageBufferSize];
    ASSERT_EQ(FormatText(out, sizeof out, MSG_SUCCESS, kTargetVersion, kTargetVersion), 1);
    EXPECT_EQ(Escaped(out), Escaped(expected::kSuccess));
}

TEST(Formatter, FillsEachPlaceholderInOrderAndNothingElse) {
    struct Row {
        const char* pattern;
        const char* fill1;
        const char* fill2;
        std::string want;
    } rows[] = {
        {MSG_NOT_INSTALLED, kGameTitle, nullptr, expected::kNotInstalled},
        {MSG_GAME_RUNNING, kGameTitle, nullptr, expected::kGameRunning},
        {MSG_GAME_MAY_BE_RUNNING, kGameTitle, nullptr, expected::kGameMayBeRunning},
        {MSG_CONFIRM_DETECTED, kGameTitle, kTargetVersion, expected::kConfirmDetected},
        {MSG_CONFIRM_START, kTargetVersion, nullptr, expected::kConfirmStart},
        {MSG_SUCCESS, kTargetVersion, kTargetVersion, expected::kSuccess},
        {MSG_SETTINGS_MISSING, nullptr, nullptr, expected::kSettingsMissing},
        {CAP_UPDATE, kGameTitle, nullptr, expected::kCapUpdate},
        {"100% %s", "x", nullptr, "100% x"},  // a lone % is an ordinary byte
        {"%s%s%s", "a", "b", "ab"},           // a placeholder without a fill stays empty
    };
    for (const Row& row : rows) {
        char out[kMessageBufferSize];
        memset(out, 'Z', sizeof out);
        EXPECT_EQ(FormatText(out, sizeof out, row.pattern, row.fill1, row.fill2), 1);
        EXPECT_EQ(Escaped(out), Escaped(row.want)) << Utf8(row.want);
    }
}

TEST(Formatter, TheFirstConfirmationStartsWithTheTitleAndBreaksBareOnlyAfterTheCaution) {
    char out[kMessageBufferSize];
    FormatText(out, sizeof out, MSG_CONFIRM_DETECTED, kGameTitle, kTargetVersion);
    std::string text(out);
    EXPECT_EQ(text.find(Sjis("ヴェルミラ のインストールデータを検出しました。")), 0u);
    size_t caution = text.find(Sjis("※ご注意※"));
    ASSERT_NE(caution, std::string::npos);
    size_t bare = text.find('\n', caution);
    EXPECT_NE(text[bare - 1], '\r');
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && i != bare) {
            EXPECT_EQ(text[i - 1], '\r') << "break at " << i;
        }
    }
    EXPECT_LT(text.size(), 300u);
}

TEST(Formatter, AResultThatWouldNotFitIsRefusedWholeAndNeverWrittenPastTheBuffer) {
    // Needed: 4 bytes of text and the terminator. Test needed-1, needed and needed+1.
    struct Row {
        size_t size;
        int result;
        std::string text;
    } rows[] = {{4, 0, ""}, {5, 1, "ab12"}, {6, 1, "ab12"}};
    for (const Row& row : rows) {
        char out[16];
        memset(out, '#', sizeof out);
        EXPECT_EQ(FormatText(out, row.size, "ab%s", "12"), row.result) << row.size;
        EXPECT_EQ(std::string(out), row.text) << row.size;
        EXPECT_EQ(out[row.size], '#') << "written past the buffer at size " << row.size;
    }
}

TEST(Formatter, EveryFormattedTextFitsTheMessageBuffer) {
    char out[kMessageBufferSize];
    EXPECT_EQ(FormatText(out, sizeof out, MSG_CONFIRM_DETECTED, kGameTitle, kTargetVersion), 1);
    EXPECT_EQ(FormatText(out, sizeof out, MSG_PACKAGE_INCOMPLETE), 1);
}

}  // namespace
