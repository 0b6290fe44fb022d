// Finding the game's install folder through the per-user registry entry its installer wrote.
#pragma once

#include "platform/win32.h"
#include "util/update_status.h"

const size_t kPathBufferSize = MAX_PATH + 1;

extern const char kRegistryKey[];

// The game's key, opened by discovery and left open until the process ends.
extern HKEY GameRegistryKey;

// Fills `installDir` (kPathBufferSize bytes) with the value Dir of the game's key and makes sure
// "inst.ini" and "pac" exist under it, composing the probes in `probePath` (kPathBufferSize
// bytes). Returns 0, or -1 after one not-installed box.
UpdateStatus DiscoverInstallation(char* installDir, char* probePath);
