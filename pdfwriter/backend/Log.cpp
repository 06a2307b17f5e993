#include "Log.h"

#include <unistd.h>

namespace {
constexpr size_t MostTextBytes = 900;
}

void LogLine(const char* level, const std::string& text) {
    std::string line = level;
    line += ": ";
    for (const char c : text.substr(0, MostTextBytes)) {
        const unsigned char byte = static_cast<unsigned char>(c);
        line += byte < 0x20 || byte == 0x7F ? '?' : c;
    }
    line += '\n';
    // One write per line, so that lines of the supervisor and the worker never interleave.
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line.data(), line.size());
}
