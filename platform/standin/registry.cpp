// The registry: a tree of keys under each predefined root, names compared without regard to
// ASCII case, values holding a type and raw bytes.
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/standin/control.h"
#include "platform/standin/faults.h"
#include "platform/standin/reset.h"
#include "platform/standin/sjis_names.h"

namespace {

using namespace standin::internal;

struct Value {
    DWORD type;
    std::string data;
};

struct Key {
    std::map<std::string, Value> values;  // by folded name
    bool denyWrite = false;
};

// A key by its root and its folded path below the root ("" for the root itself).
using KeyName = std::pair<uintptr_t, std::string>;

// The rights that write to a key or its security; KEY_READ has none of them.
constexpr REGSAM kWriteRights = 0x0002 | 0x0004 | 0x0020 | 0x00010000 | 0x00040000 | 0x00080000;

std::map<KeyName, Key> keys;
std::map<uintptr_t, KeyName> openKeys;
uintptr_t nextKey = 0x1000;

bool IsPredefined(HKEY key) {
    uintptr_t value = reinterpret_cast<uintptr_t>(key);
    return value >= 0x80000000u && value <= 0x80000003u;
}

// The folded names of a key path, split on single-byte backslashes only (the second byte of a
// double-byte character is no separator); empty names are skipped.
std::vector<std::string> KeyNames(const std::string& text) {
    std::vector<std::string> names;
    std::string name;
    for (size_t at = 0; at <= text.size();) {
        size_t length = at < text.size() ? SjisCharLength(text, at) : 1;
        length = length == 0 ? 1 : length;
        if (at == text.size() || (length == 1 && text[at] == '\\')) {
            if (!name.empty()) {
                names.push_back(SjisFoldCase(name));
            }
            name.clear();
        } else {
            name.append(text, at, length);
        }
        at += length;
    }
    return names;
}

std::string JoinPath(const std::string& base, const std::string& name) {
    return base.empty() ? name : base + "\\" + name;
}

// The folded path of `subKey` below `base`.
std::string SubKeyPath(const std::string& base, const char* subKey) {
    std::string path = base;
    for (const std::string& name : KeyNames(subKey != nullptr ? subKey : "")) {
        path = JoinPath(path, name);
    }
    return path;
}

// The key a handle stands for; false for a handle that is neither a root nor open.
bool KeyOfHandle(HKEY handle, KeyName* name) {
    if (IsPredefined(handle)) {
        *name = KeyName{reinterpret_cast<uintptr_t>(handle), ""};
        keys[*name];  // the roots always exist
        return true;
    }
    auto found = openKeys.find(reinterpret_cast<uintptr_t>(handle));
    if (found == openKeys.end()) {
        return false;
    }
    *name = found->second;
    return true;
}

// Creates the key and every key above it.
Key& CreateKey(HKEY root, const std::string& subKey) {
    KeyName name{reinterpret_cast<uintptr_t>(root), ""};
    keys[name];
    for (const std::string& part : KeyNames(subKey)) {
        name.second = JoinPath(name.second, part);
        keys[name];
    }
    return keys[name];
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

// Opens a key below an open key or a root. A key denied full access opens for reading only.
LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
    STANDIN_FAILABLE(static_cast<LSTATUS>(ERROR_ACCESS_DENIED), ERROR_ACCESS_DENIED);
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    KeyName base;
    if (!KeyOfHandle(key, &base)) {
        return ERROR_INVALID_HANDLE;
    }
    KeyName name{base.first, SubKeyPath(base.second, subKey)};
    auto found = keys.find(name);
    if (found == keys.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (found->second.denyWrite && (access & kWriteRights) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    uintptr_t handle = nextKey;
    nextKey += 8;
    openKeys[handle] = name;
    *result = reinterpret_cast<HKEY>(handle);
    return ERROR_SUCCESS;
}

// Reads a value. *dataSize gives the room offered and receives the size of the data. Data that
// does not fit gives ERROR_MORE_DATA with the size needed; the buffer then holds only part of
// it. A string stored without its terminating zero gets one when the buffer has room for it,
// and only then (so a buffer of exactly the stored size gets an unterminated string).
LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize) {
    STANDIN_FAILABLE(static_cast<LSTATUS>(ERROR_ACCESS_DENIED), ERROR_ACCESS_DENIED);
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    KeyName name;
    if (!KeyOfHandle(key, &name)) {
        return ERROR_INVALID_HANDLE;
    }
    const Key& found = keys[name];
    auto value = found.values.find(SjisFoldCase(valueName != nullptr ? valueName : ""));
    if (value == found.values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const std::string& bytes = value->second.data;
    if (type != nullptr) {
        *type = value->second.type;
    }
    DWORD stored = static_cast<DWORD>(bytes.size());
    if (dataSize == nullptr) {
        return ERROR_SUCCESS;
    }
    if (data == nullptr) {
        *dataSize = stored;
        return ERROR_SUCCESS;
    }
    DWORD room = *dataSize;
    if (room < stored) {
        memcpy(data, bytes.data(), room);
        *dataSize = stored;
        return ERROR_MORE_DATA;
    }
    memcpy(data, bytes.data(), stored);
    bool unterminated = stored == 0 || bytes.back() != '\0';
    if (IsStringType(value->second.type) && unterminated && room > stored) {
        data[stored] = 0;
        *dataSize = stored + 1;
    } else {
        *dataSize = stored;
    }
    return ERROR_SUCCESS;
}

// Closes an opened key; closing a root is allowed and does nothing.
LSTATUS RegCloseKey(HKEY key) {
    STANDIN_FAILABLE(static_cast<LSTATUS>(ERROR_INVALID_HANDLE), ERROR_INVALID_HANDLE);
    if (IsPredefined(key)) {
        return ERROR_SUCCESS;
    }
    if (openKeys.erase(reinterpret_cast<uintptr_t>(key)) == 0) {
        return ERROR_INVALID_HANDLE;
    }
    return ERROR_SUCCESS;
}

namespace standin::internal {

void ResetRegistry() {
    keys.clear();
    openKeys.clear();
    nextKey = 0x1000;
}

}  // namespace standin::internal

namespace standin {

void RegCreateKey(HKEY root, const std::string& subKey) { CreateKey(root, subKey); }

void RegSetValue(HKEY root, const std::string& subKey, const std::string& name, DWORD type,
                 const std::string& data) {
    CreateKey(root, subKey).values[SjisFoldCase(name)] = Value{type, data};
}

void RegDenyFullAccess(HKEY root, const std::string& subKey) {
    CreateKey(root, subKey).denyWrite = true;
}

int OpenKeyCount() { return static_cast<int>(openKeys.size()); }

}  // namespace standin
