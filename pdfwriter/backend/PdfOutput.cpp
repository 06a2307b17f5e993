#include "PdfOutput.h"

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "PdfTools.h"
#include "Refusal.h"
#include "SafeFolder.h"

namespace {

constexpr int MostNumberedNames = 999;

std::string ErrnoText() { return strerror(errno); }

bool WriteAll(int fd, const std::string& data) {
    size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += size_t(n);
    }
    return true;
}

std::string RandomHiddenName() {
    unsigned char bytes[8] = {};
    if (getrandom(bytes, sizeof bytes, 0) != sizeof bytes) throw Refusal("no random numbers for a temporary name");
    std::string name = ".vendrellpdf-";
    for (const unsigned char b : bytes) {
        char hex[3];
        snprintf(hex, sizeof hex, "%02x", b);
        name += hex;
    }
    return name;
}

// The file being made, unnamed as long as the file system allows.
class PendingFile {
public:
    explicit PendingFile(const SafeFolder& folder) : folder_(folder) {
        fd_ = openat(folder.fd(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
            name_ = RandomHiddenName();
            fd_ = openat(folder.fd(), name_.c_str(), O_CREAT | O_EXCL | O_RDWR | O_NOFOLLOW | O_CLOEXEC, 0600);
        }
        if (fd_ < 0) throw Refusal("cannot write in " + folder.path() + ": " + ErrnoText());
        fstat(fd_, &info_);
    }
    ~PendingFile() {
        if (!name_.empty() && isAt(name_)) unlinkat(folder_.fd(), name_.c_str(), 0);
        close(fd_);
    }
    int fd() const { return fd_; }

    // Whether the name in the folder is this file.
    bool isAt(const std::string& name) const {
        struct stat there {};
        return fstatat(folder_.fd(), name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 && there.st_dev == info_.st_dev &&
               there.st_ino == info_.st_ino;
    }
    // Gives the file this name when it is free; false when the name is taken.
    bool claim(const std::string& name) {
        int done;
        if (name_.empty()) {
            const std::string self = "/proc/self/fd/" + std::to_string(fd_);
            done = linkat(AT_FDCWD, self.c_str(), folder_.fd(), name.c_str(), AT_SYMLINK_FOLLOW);
        } else {
            done = renameat2(folder_.fd(), name_.c_str(), folder_.fd(), name.c_str(), RENAME_NOREPLACE);
            if (done != 0 && errno == EINVAL) {  // no such rename here; a hard link never replaces either
                done = linkat(folder_.fd(), name_.c_str(), folder_.fd(), name.c_str(), 0);
                if (done == 0) unlinkat(folder_.fd(), name_.c_str(), 0);
            }
        }
        if (done != 0 && errno == EEXIST) return false;
        if (done != 0) throw Refusal("cannot write " + folder_.path() + "/" + name + ": " + ErrnoText());
        name_.clear();
        published_ = name;
        return true;
    }
    // Puts the file in place of whatever has this name.
    void replace(const std::string& name) {
        if (name_.empty()) {
            std::string temporary;
            do temporary = RandomHiddenName();
            while (!claim(temporary));
            name_ = temporary;  // removed again should the rename fail
        }
        if (renameat(folder_.fd(), name_.c_str(), folder_.fd(), name.c_str()) != 0)
            throw Refusal("cannot write " + folder_.path() + "/" + name + ": " + ErrnoText());
        name_.clear();
        published_ = name;
    }
    // The name it was published under, after checking that it is still this file.
    std::string published() const {
        if (!isAt(published_))
            throw Refusal(folder_.path() + "/" + published_ +
                          " changed while the job was written (another user may write that folder); the job is not written there");
        return folder_.path() + (folder_.path() == "/" ? "" : "/") + published_;
    }

private:
    const SafeFolder& folder_;
    int fd_ = -1;
    struct stat info_ {};
    std::string name_;       // its temporary name, while it has one
    std::string published_;  // the name it was given
};

// Permissions of a new file: what the folder lets group and others do, but reading only.
mode_t NewFileMode(const SafeFolder& folder) {
    struct stat info {};
    fstat(folder.fd(), &info);
    return 0600 | (info.st_mode & S_IRGRP) | (info.st_mode & S_IROTH);
}

}  // namespace

Format DetectFormat(const std::string& data) {
    const std::string head = data.substr(0, 1024);
    // PostScript, possibly behind a Ctrl-D or a printer-language header.
    if (head.rfind("%!", 0) == 0 || head.rfind("\x04%!", 0) == 0 ||
        (head.rfind("\x1b%-12345X", 0) == 0 && head.find("\n%!") != std::string::npos))
        return Format::PostScript;
    if (head.find("%PDF-") != std::string::npos) {
        const size_t tail = data.size() > 1024 ? data.size() - 1024 : 0;
        if (data.find("%%EOF", tail) == std::string::npos) throw Refusal("the PDF document is incomplete");
        return Format::Pdf;
    }
    throw Refusal("the document is neither PDF nor PostScript");
}

std::string WritePdf(const std::string& data, Format format, const JobTarget& target, uid_t owner, Deadline deadline) {
    const SafeFolder folder(target.folder, owner);
    mode_t mode = NewFileMode(folder);
    if (target.replace) {
        struct stat existing {};
        if (fstatat(folder.fd(), target.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            if (!S_ISREG(existing.st_mode))
                throw Refusal(folder.path() + "/" + target.name + " is not a regular file; it is left as it is");
            mode = existing.st_mode & 0777;
        }
    }
    PendingFile file(folder);
    if (format == Format::PostScript) {
        ConvertPostScript(data, file.fd(), deadline);
    } else if (!WriteAll(file.fd(), data)) {
        throw Refusal("cannot write in " + folder.path() + ": " + ErrnoText());
    }
    CheckPdf(file.fd(), deadline);
    if (fchmod(file.fd(), mode) != 0 || fsync(file.fd()) != 0) throw Refusal("cannot write in " + folder.path() + ": " + ErrnoText());
    if (target.replace) {
        file.replace(target.name);
    } else {
        const std::string stem = target.name.substr(0, target.name.size() - 4);
        int n = 1;
        while (!file.claim(n == 1 ? target.name : stem + " (" + std::to_string(n) + ").pdf"))
            if (++n > MostNumberedNames) throw Refusal("every name for " + folder.path() + "/" + target.name + " is taken");
    }
    return file.published();
}
