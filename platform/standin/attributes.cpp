// Windows attributes beside the host's entries: the host gives the folder bit, this table the
// rest. Only entries whose attributes differ from the default are kept.
#include "platform/standin/attributes.h"

#include <map>

#include "platform/standin/reset.h"

namespace standin::internal {

namespace {

std::map<std::string, DWORD> stored;

DWORD DefaultBits(bool folder) { return folder ? 0 : FILE_ATTRIBUTE_ARCHIVE; }

bool IsBelow(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

}  // namespace

DWORD AttributesOf(const std::string& host, const struct stat& st) {
    bool folder = S_ISDIR(st.st_mode);
    auto found = stored.find(host);
    DWORD bits = found != stored.end() ? found->second : DefaultBits(folder);
    if (folder) {
        return bits | FILE_ATTRIBUTE_DIRECTORY;
    }
    return bits != 0 ? bits : FILE_ATTRIBUTE_NORMAL;
}

DWORD AttributesOf(const std::string& host) {
    struct stat st;
    if (stat(host.c_str(), &st) != 0) {
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(host, st);
}

void StoreAttributes(const std::string& host, DWORD attributes) {
    struct stat st;
    bool folder = stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    DWORD bits = attributes & kStoredAttributes;
    if (bits == DefaultBits(folder)) {
        stored.erase(host);
    } else {
        stored[host] = bits;
    }
}

void ForgetAttributes(const std::string& host) {
    for (auto it = stored.begin(); it != stored.end();) {
        if (it->first == host || IsBelow(it->first, host)) {
            it = stored.erase(it);
        } else {
            ++it;
        }
    }
}

void MoveAttributes(const std::string& from, const std::string& to) {
    std::map<std::string, DWORD> moved;
    for (auto it = stored.begin(); it != stored.end();) {
        if (it->first == from || IsBelow(it->first, from)) {
            moved[to + it->first.substr(from.size())] = it->second;
            it = stored.erase(it);
        } else {
            ++it;
        }
    }
    ForgetAttributes(to);
    stored.insert(moved.begin(), moved.end());
}

void ResetAttributes() { stored.clear(); }

}  // namespace standin::internal
