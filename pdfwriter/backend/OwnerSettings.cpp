#include "OwnerSettings.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

namespace {
// The file is the owner's to shape: a FIFO would block the shared queue and a link to an endless
// device would fill memory. Only a regular file of sensible size is read, without waiting.
constexpr off_t MostBytes = 64 * 1024;

std::string contentsOf(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return {};
    std::string text;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= MostBytes) {
        char buffer[4096];
        ssize_t got;
        while (text.size() <= size_t(MostBytes) && (got = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, size_t(got));
    }
    ::close(fd);
    return text.size() <= size_t(MostBytes) ? text : std::string();
}
}  // namespace

OwnerSettings ReadOwnerSettings(const std::string& home) {
    OwnerSettings settings;
    std::istringstream file(contentsOf(home + "/.config/Vendrell PDF Writer/registry.ini"));
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string name = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (strcasecmp(name.c_str(), "OutputFile") == 0) settings.outputFile = value;
        if (strcasecmp(name.c_str(), "BypassSaveAs") == 0) settings.bypassSaveAs = value;
    }
    return settings;
}
