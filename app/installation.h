// The last stage: two confirmations, the three copies, clearing the save files, the report.
#pragma once

#include "util/update_status.h"

// `probePath` is a path buffer of kPathBufferSize bytes for the destinations. Returns 0 only
// when both confirmations were accepted, every copy succeeded and the save files were listed.
UpdateStatus ConfirmAndInstall(const char* installDir, char* probePath);
