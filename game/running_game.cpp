#include "game/running_game.h"

#include "util/bounded_text.h"
#include "util/sjis.h"

const char kGameExeName[] = "velmira.exe";

char InstanceName[kInstanceNameSize];

const char* MakeInstanceName(const char* installDir) {
    // Always fits: installDir holds at most 260 bytes of text.
    ComposePath(InstanceName, sizeof InstanceName, installDir, kGameExeName);
    SjisLowerAscii(InstanceName);
    SjisReplaceChar(InstanceName, '\\', ':');
    return InstanceName;
}

int8_t IsGameRunning(const char* instanceName) {
    HANDLE probe = CreateMutexA(nullptr, FALSE, instanceName);
    if (probe == nullptr) {
        return -1;
    }
    // Read at once: the close below may change the last error.
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    CloseHandle(probe);
    if (!existed) {
        return 0;  // ours was the only handle, so closing it leaves no marker behind
    }
    // A mutex alone is no running game: its window has to be there too.
    return FindWindowA(instanceName, nullptr) != nullptr ? 1 : 0;
}
