// Named kernel objects: one namespace shared by mutexes and events, each name counted by the
// references held on it (the updater's handles and the test's "other processes").
#include "platform/standin/objects.h"

#include <map>
#include <string>

#include "platform/standin/control.h"
#include "platform/standin/faults.h"
#include "platform/standin/handles.h"
#include "platform/standin/reset.h"
#include "platform/standin/sjis_names.h"

namespace {

using namespace standin::internal;

enum class Kind { Mutex, Event };

struct NamedObject {
    Kind kind;
    int references;
};

struct Reference {
    std::string name;  // "" for an unnamed object, which nobody else can reach
    bool heldByTest;
};

std::map<std::string, NamedObject> objects;
std::map<int, Reference> references;
int nextReference = 1;

// The name in the session namespace, or 0 with `*error` set for a name Windows refuses. A
// backslash (single-byte: the platform sees the widened text) may only end the prefixes
// "Local\" (the session namespace itself) and "Global\"; elsewhere it names a missing folder
// of the object namespace.
bool NormalizeName(const std::string& name, std::string* normal, DWORD* error) {
    size_t chars = 0;
    if (!SjisCharCount(name, &chars)) {
        *error = ERROR_INVALID_NAME;
        return false;
    }
    if (chars > MAX_PATH) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    std::string rest = name;
    std::string prefix;
    if (rest.compare(0, 6, "Local\\") == 0) {
        rest = rest.substr(6);
    } else if (rest.compare(0, 7, "Global\\") == 0) {
        prefix = "Global\\";
        rest = rest.substr(7);
    }
    for (size_t at = 0; at < rest.size();) {
        size_t length = SjisCharLength(rest, at);
        if (length == 1 && rest[at] == '\\') {
            *error = ERROR_PATH_NOT_FOUND;
            return false;
        }
        at += length;
    }
    *normal = prefix + rest;
    return true;
}

// A new reference on the object `name` of `kind`, creating it when absent; 0 when the name is
// taken by another kind of object.
int AddReference(const std::string& name, Kind kind, bool heldByTest, bool* existed) {
    *existed = false;
    if (!name.empty()) {
        auto found = objects.find(name);
        if (found != objects.end()) {
            if (found->second.kind != kind) {
                return 0;
            }
            *existed = true;
            ++found->second.references;
        } else {
            objects[name] = NamedObject{kind, 1};
        }
    }
    int id = nextReference++;
    references[id] = Reference{name, heldByTest};
    return id;
}

int Hold(const std::string& name, Kind kind) {
    std::string normal;
    DWORD error = 0;
    bool existed = false;
    if (name.empty() || !NormalizeName(name, &normal, &error)) {
        return 0;
    }
    return AddReference(normal, kind, true, &existed);
}

}  // namespace

// Creates a mutex, or opens the one of that name (last error ERROR_ALREADY_EXISTS; else 0). A
// name held by an object of another kind fails with ERROR_INVALID_HANDLE. Initial ownership
// is accepted and not modelled: the updater has one thread and never waits.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR name) {
    STANDIN_FAILABLE(static_cast<HANDLE>(nullptr), ERROR_ACCESS_DENIED);
    std::string normal;
    DWORD error = 0;
    if (name != nullptr && !NormalizeName(name, &normal, &error)) {
        SetLastError(error);
        return nullptr;
    }
    bool existed = false;
    int reference = AddReference(normal, Kind::Mutex, false, &existed);
    if (reference == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HANDLE handle = AddHandle(HandleKind::Mutex, reference);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : 0);
    return handle;
}

namespace standin::internal {

void ReleaseObjectReference(int reference) {
    auto found = references.find(reference);
    if (found == references.end()) {
        return;
    }
    std::string name = found->second.name;
    references.erase(found);
    auto object = objects.find(name);
    if (object != objects.end() && --object->second.references == 0) {
        objects.erase(object);
    }
}

void ResetObjects() {
    objects.clear();
    references.clear();
    nextReference = 1;
}

}  // namespace standin::internal

namespace standin {

int HoldMutex(const std::string& name) { return Hold(name, Kind::Mutex); }

int HoldEvent(const std::string& name) { return Hold(name, Kind::Event); }

void ReleaseObject(int id) {
    auto found = references.find(id);
    if (found != references.end() && found->second.heldByTest) {
        ReleaseObjectReference(id);
    }
}

bool ObjectExists(const std::string& name) {
    std::string normal;
    DWORD error = 0;
    return NormalizeName(name, &normal, &error) && objects.count(normal) != 0;
}

}  // namespace standin
