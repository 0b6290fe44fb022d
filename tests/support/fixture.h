// Shared test support: a fresh stand-in world per test, Shift-JIS conversion, and the texts the
// updater is expected to show, written here in UTF-8 independently of the catalogue.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/standin/control.h"

// UTF-8 to Shift-JIS (code page 932) and back; a conversion failure fails the test.
std::string Sjis(const std::string& utf8);
std::string Utf8(const std::string& sjis);
// Bytes made readable for a failure message: printable ASCII as is, the rest as \xNN.
std::string Escaped(const std::string& bytes);

// The game's settings file: `size` bytes of `filler`, with the save-location word (bytes 84 to
// 87, little-endian) set to `mode` as far as the file reaches.
std::string SettingsFile(size_t size, uint32_t mode, char filler = '\0');

// Every test starts from an empty world in a temporary host folder, with the updater's
// process-wide state as at process start.
class StandinTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string hostRoot;
};

// Puts the updater's process-wide variables back to their start-of-process values.
void ResetUpdaterState();

namespace expected {
// Formatted with ヴェルミラ and 1.01 where the texts take them.
extern const std::string kNotInstalled;
extern const std::string kSettingsMissing;
extern const std::string kGameRunning;
extern const std::string kGameMayBeRunning;
extern const std::string kPackageIncomplete;
extern const std::string kConfirmDetected;
extern const std::string kConfirmStart;
extern const std::string kCancelled;
extern const std::string kSuccess;
extern const std::string kCopyFailed;
extern const std::string kCapError;
extern const std::string kCapErrorNo1;
extern const std::string kCapErrorNo2;
extern const std::string kCapErrorNo3;
extern const std::string kCapUpdate;
extern const std::string kCapCancelled;
extern const std::string kCapDone;
extern const std::string kCapFailed;
}  // namespace expected
