// Where the game keeps its save files: one of four folders, chosen by a word in its settings
// file "tvcfg.dat".
#pragma once

#include "platform/win32.h"
#include "util/update_status.h"

// A special-folder path (259 bytes at most) + "\My Games" + "\MORVALE_SaveData\velmira\save\".
const size_t kSaveFolderSize = 300;

extern int SaveLocationMode;            // 0 to 3; 0 until a settings file names another
extern char AppDataFolder[MAX_PATH];    // as the platform reports it; empty when the lookup fails
extern char DocumentsFolder[MAX_PATH];
extern char SaveFolder[kSaveFolderSize];  // always ends with a separator once set

// Looks up both special folders, reads the save-location mode from the settings file under
// `installDir` and composes SaveFolder. Returns 0, or -1 after one box when the settings file
// cannot be opened.
UpdateStatus ResolveSaveFolder(const char* installDir);
