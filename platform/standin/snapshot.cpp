// The whole stand-in disk as a sorted list, for "nothing else changed" checks.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "platform/standin/attributes.h"
#include "platform/standin/control.h"
#include "platform/standin/paths.h"

namespace {

using namespace standin::internal;
using Listing = std::vector<std::pair<std::string, standin::Entry>>;

std::string Content(const std::string& host) {
    std::string bytes;
    int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return bytes;
    }
    char buffer[65536];
    ssize_t got;
    while ((got = read(fd, buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, static_cast<size_t>(got));
    }
    close(fd);
    return bytes;
}

// Lists what lies in the host folder `host`, whose Windows path is `windows` ("C:" for a
// drive root, so that names join with a backslash).
void Walk(const std::string& host, const std::string& windows, Listing* listing) {
    DIR* dir = opendir(host.c_str());
    if (dir == nullptr) {
        return;
    }
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    closedir(dir);
    for (const std::string& name : names) {
        std::string path = host + "/" + name;
        struct stat st;
        if (!StatHost(path, &st)) {
            continue;
        }
        std::string key = windows + "\\" + name;
        DWORD attributes = AttributesOf(path, st);
        if (S_ISDIR(st.st_mode)) {
            listing->push_back({key + "/", standin::Entry{"", attributes}});
            Walk(path, key, listing);
        } else {
            listing->push_back({key, standin::Entry{Content(path), attributes}});
        }
    }
}

}  // namespace

namespace standin {

Listing Snapshot() {
    Listing listing;
    if (HostRoot().empty()) {
        return listing;
    }
    for (char drive = 'A'; drive <= 'Z'; ++drive) {
        std::string host = HostRoot() + "/" + std::string(1, drive);
        if (IsHostFolder(host)) {
            Walk(host, std::string(1, drive) + ":", &listing);
        }
    }
    std::sort(listing.begin(), listing.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return listing;
}

}  // namespace standin
