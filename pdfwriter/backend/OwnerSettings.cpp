#include "OwnerSettings.h"

#include <fcntl.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

namespace {

constexpr off_t MostBytes = 64 * 1024;

// The file's text, or the empty text with the reason it was not read (none when it is missing).
std::string ContentsOf(const std::string& path, std::string& ignoredBecause) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno != ENOENT) ignoredBecause = std::string("it cannot be read: ") + strerror(errno);
        return {};
    }
    std::string text;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ignoredBecause = "it is not a regular file";
    } else if (info.st_size > MostBytes) {
        ignoredBecause = "it is larger than 64 KiB";
    } else {
        char buffer[4096];
        ssize_t got = 0;
        while (text.size() <= size_t(MostBytes) && (got = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, size_t(got));
        if (got < 0) ignoredBecause = std::string("it cannot be read: ") + strerror(errno);
        if (text.size() > size_t(MostBytes)) ignoredBecause = "it is larger than 64 KiB";
        if (!ignoredBecause.empty()) text.clear();
    }
    ::close(fd);
    return text;
}

}  // namespace

OwnerSettings ReadOwnerSettings(const std::string& home, const std::string& jobId) {
    OwnerSettings settings;
    std::string text = ContentsOf(home + "/.config/Vendrell PDF Writer/registry.ini", settings.ignoredBecause);
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    const std::string jobOutput = "OutputFile." + jobId;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string name = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (strcasecmp(name.c_str(), jobOutput.c_str()) == 0) settings.outputFileForJob = value;
        if (strcasecmp(name.c_str(), "BypassSaveAs") == 0) settings.bypassSaveAs = value == "1";
    }
    return settings;
}
