// Test controls of the stand-in platform: set up the world the updater runs in, inject faults
// and read back what the updater did. Only tests include this header; the updater never does.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/standin/win32_api.h"

namespace standin {

// ---- Whole world ---------------------------------------------------------------------------
// Forget every key, object, window, box, script, fault and open handle, and map the Windows
// file system onto the host folder `hostRoot` (which must exist): drive C: is hostRoot/C and so
// on. The current directory becomes "C:\". Special folders are unset (their lookup fails).
// Files and folders stay on the host, but the attributes kept beside them (read-only, hidden,
// system, archive) are forgotten with the rest, and the heap blocks still held are freed.
void Reset(const std::string& hostRoot);

// ---- File system ---------------------------------------------------------------------------
// Host path for a Windows path, resolved as the stand-in resolves it: existing components are
// matched without regard to ASCII case, missing ones are converted from Shift-JIS to UTF-8.
// Relative paths are resolved against the current directory. Returns "" for a path that the
// stand-in refuses (too long, no such drive letter form, bytes that are not Shift-JIS).
std::string HostPath(const std::string& windowsPath);
// Fixture helpers in Windows terms (Shift-JIS paths). Parents are created as needed. Each
// returns true on success. They bypass faults, sharing and the read-only attribute.
bool MakeFolder(const std::string& windowsPath);
bool WriteBytes(const std::string& windowsPath, const std::string& bytes);
bool ReadBytes(const std::string& windowsPath, std::string* bytes);
bool Exists(const std::string& windowsPath);
// Current directory (a Windows path); also settable through SetCurrentDirectoryA.
void SetCurrentDir(const std::string& windowsPath);
// Holds the file open as another process would, with the given access and share mode, until
// ReleaseFile. Returns an id > 0, or 0 when the open is refused.
int HoldFile(const std::string& windowsPath, DWORD access, DWORD shareMode);
void ReleaseFile(int id);
// The next copy (CopyFileA) whose destination matches `windowsPath` (any path when empty)
// writes only the first `bytesWritten` bytes to its destination and then fails with
// ERROR_DISK_FULL, as a full disk or a vanished source would leave it.
void FailCopyPartway(const std::string& windowsPath, size_t bytesWritten);
// Every file and folder under the host root: Windows-style relative path (UTF-8 on the host),
// with "/" after folders, mapped to its content and attribute word. For "nothing else changed".
// Keys are the entries' Windows paths with the names as stored on the host, sorted bytewise:
// "C:\Game/" for a folder, "C:\Game\inst.ini" for a file; drive roots themselves are not
// listed, nor anything under the host root that is not a drive folder. Folders have "" content.
struct Entry {
    std::string content;
    DWORD attributes;
};
inline bool operator==(const Entry& a, const Entry& b) {
    return a.content == b.content && a.attributes == b.attributes;
}
inline bool operator!=(const Entry& a, const Entry& b) { return !(a == b); }
// Lets GoogleTest show an entry readably when two snapshots differ.
inline void PrintTo(const Entry& entry, std::ostream* out) {
    *out << "{attributes 0x" << std::hex << entry.attributes << std::dec << ", "
         << entry.content.size() << " bytes}";
}
std::vector<std::pair<std::string, Entry>> Snapshot();

// ---- Registry ------------------------------------------------------------------------------
void RegCreateKey(HKEY root, const std::string& subKey);
void RegSetValue(HKEY root, const std::string& subKey, const std::string& name, DWORD type,
                 const std::string& data);
// Opening this key with write access (KEY_ALL_ACCESS) is refused with ERROR_ACCESS_DENIED.
void RegDenyFullAccess(HKEY root, const std::string& subKey);
// Number of keys the updater opened and has not closed.
int OpenKeyCount();

// ---- Named kernel objects ------------------------------------------------------------------
// Another process holds a mutex (or an event, an object of another kind) of this name.
int HoldMutex(const std::string& name);
int HoldEvent(const std::string& name);
void ReleaseObject(int id);
// Whether a named object of this name exists (held by anyone, the updater included).
bool ObjectExists(const std::string& name);

// ---- Windows -------------------------------------------------------------------------------
int OpenWindow(const std::string& className, const std::string& title);
void CloseWindow(int id);

// ---- Message boxes -------------------------------------------------------------------------
struct Box {
    std::string caption;
    std::string text;
    UINT style;
    HWND owner;
    int result;  // what MessageBoxA returned
};
// Answers for the boxes to come, in order; a box without a scripted answer gets IDOK for an
// MB_OK box and IDYES otherwise (IDOK for MB_OKCANCEL too, which has no Yes button). An answer
// of 0 makes that box fail to show (it returns 0); it is still recorded, the hook is not called.
void ScriptAnswers(const std::vector<int>& answers);
const std::vector<Box>& Boxes();
// Called from inside every MessageBoxA, after it is recorded and before it returns: lets a test
// act while a box is up (start a second updater, for example).
typedef void (*BoxHook)(const Box& box);
void SetBoxHook(BoxHook hook);

// ---- Special folders -----------------------------------------------------------------------
// The folder SHGetSpecialFolderPathA reports for csidl; nullptr makes the lookup fail.
void SetSpecialFolder(int csidl, const char* windowsPath);

// ---- Calls and faults ----------------------------------------------------------------------
// Every platform function counts as one call. The log holds the function names in order.
const std::vector<std::string>& CallLog();
// Fail the call numbered `n` (1-based over the whole log) and, when `persist`, every later one.
// A failing call does nothing and returns the function's failure value with a plausible error.
// An n of 0 or less removes this fault. GetLastError is logged but never fails.
void FailCallNumber(long n, bool persist);
// Fail the n-th (1-based) call of the named function from now on, and later ones when persist.
// An n of 0 or less removes the fault of that function.
void FailFunction(const std::string& function, int nth, bool persist);
// Removes every fault set by FailCallNumber and FailFunction (the call log stays).
void ClearFaults();
// Number of handles (files, finds, mutexes) the updater holds open now.
int OpenHandleCount();
// Blocks the updater holds from HeapAlloc now (allocated and not freed).
long HeapBlocksOutstanding();
// Their size in bytes.
long HeapBytesOutstanding();

}  // namespace standin
