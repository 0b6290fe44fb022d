// The message catalogue: every text and caption the updater shows, and the two values that fill
// their "%s" placeholders. All are NUL-terminated Shift-JIS byte strings.
#pragma once

extern const char kGameTitle[];      // the game's title: fills every title placeholder
extern const char kTargetVersion[];  // "1.01": fills every version placeholder

// Message texts
extern const char MSG_NOT_INSTALLED[];  // fills: kGameTitle
extern const char MSG_SETTINGS_MISSING[];
extern const char MSG_GAME_RUNNING[];  // fills: kGameTitle
extern const char MSG_GAME_MAY_BE_RUNNING[];  // fills: kGameTitle
extern const char MSG_PACKAGE_INCOMPLETE[];
extern const char MSG_CONFIRM_DETECTED[];  // fills: kGameTitle, kTargetVersion
extern const char MSG_CONFIRM_START[];  // fills: kTargetVersion
extern const char MSG_CANCELLED[];
extern const char MSG_SUCCESS[];  // fills: kTargetVersion, kTargetVersion
extern const char MSG_COPY_FAILED[];

// Captions
extern const char CAP_ERROR[];
extern const char CAP_ERROR_NO1[];
extern const char CAP_ERROR_NO2[];
extern const char CAP_ERROR_NO3[];
extern const char CAP_UPDATE[];  // fills: kGameTitle
extern const char CAP_CANCELLED[];
extern const char CAP_DONE[];
extern const char CAP_FAILED[];
