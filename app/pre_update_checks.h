// The checks made before anything is asked or changed: the save folder is known, the game is
// not running, its main pack opens, and the update package is complete.
#pragma once

#include "util/update_status.h"

// `packPath` is a path buffer of kPathBufferSize bytes. Returns 0, or -1 after one box.
UpdateStatus RunPreUpdateChecks(const char* installDir, char* packPath);
