// Telling whether the game runs. A running game holds a mutex named by its instance name and
// has a top-level window whose class bears the same name.
#pragma once

#include <cstdint>

#include "platform/win32.h"

extern const char kGameExeName[];

// The install folder (260 bytes at most) followed by "velmira.exe".
const size_t kInstanceNameSize = MAX_PATH + 11 + 1;
extern char InstanceName[kInstanceNameSize];

// Derives the instance name from the game's executable path under `installDir`: ASCII letters
// lower-cased and every single-byte backslash turned into a colon, double-byte characters kept.
// Fills InstanceName and returns it.
const char* MakeInstanceName(const char* installDir);

// 1 when the game runs, 0 when it does not, -1 when the probe mutex cannot be created.
int8_t IsGameRunning(const char* instanceName);
