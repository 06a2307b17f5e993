#include "SafeFolder.h"

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <deque>

#include "Refusal.h"

namespace {

constexpr int MostLinks = 40;  // as the kernel's own path lookup

std::deque<std::string> Components(const std::string& path) {
    std::deque<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (!part.empty() && part != ".") parts.push_back(part);
        start = end + 1;
    }
    return parts;
}

int OpenRoot() { return open("/", O_PATH | O_DIRECTORY | O_CLOEXEC); }

}  // namespace

SafeFolder::SafeFolder(const std::string& path, uid_t owner) : path_(path) {
    if (path.empty() || path[0] != '/') throw Refusal("not a full path: " + path);
    std::deque<std::string> pending = Components(path);
    int links = 0;
    const auto fail = [&](const std::string& reason) {
        if (fd_ >= 0) close(fd_);
        throw Refusal(reason);
    };
    fd_ = OpenRoot();
    while (fd_ >= 0 && !pending.empty()) {
        const std::string name = pending.front();
        pending.pop_front();
        const int next = openat(fd_, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) fail("cannot open the folder " + path + ": " + strerror(errno));
        struct stat info {};
        if (fstat(next, &info) == 0 && S_ISDIR(info.st_mode)) {
            close(fd_);
            fd_ = next;
            continue;
        }
        const bool trusted = S_ISLNK(info.st_mode) && (info.st_uid == 0 || info.st_uid == owner);
        char target[4096];
        const ssize_t length = trusted && ++links <= MostLinks ? readlinkat(next, "", target, sizeof target) : -1;
        close(next);
        if (length <= 0 || size_t(length) >= sizeof target) {
            if (S_ISLNK(info.st_mode) && !trusted)
                fail("the folder " + path + " goes through a link of another user (" + name + "); it is not followed");
            fail("the folder " + path + " cannot be opened: " + name + (S_ISLNK(info.st_mode) ? " is a loop of links" : " is not a folder"));
        }
        const std::string followed(target, size_t(length));
        const std::deque<std::string> parts = Components(followed);
        pending.insert(pending.begin(), parts.begin(), parts.end());
        if (followed[0] == '/') {
            close(fd_);
            fd_ = OpenRoot();
        }
    }
    if (fd_ < 0) throw Refusal("cannot open the folder " + path + ": " + strerror(errno));
}

SafeFolder::~SafeFolder() {
    if (fd_ >= 0) close(fd_);
}
