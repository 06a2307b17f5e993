#pragma once
#include <sys/types.h>

#include <string>

// The folder at an absolute path, opened once for the worker's *at calls (openat, renameat,
// fstatat, ...), so that nothing done through it depends on the path any more.
//
// Each component is opened on its own without following links; a link is followed only when it
// belongs to root or to the job's owner: another user who may write a folder on the way could
// otherwise point the job anywhere the owner may write. A refusal names the reason.
class SafeFolder {
public:
    SafeFolder(const std::string& path, uid_t owner);
    ~SafeFolder();
    SafeFolder(const SafeFolder&) = delete;
    SafeFolder& operator=(const SafeFolder&) = delete;

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
};
