#include "PdfOutput.h"

#include <fcntl.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "PostScriptToPdf.h"
#include "Refusal.h"

char PendingTemporary[4096];

namespace {

constexpr size_t MaxNameBytes = 255;  // one name in a folder, ".pdf" included

std::string ErrnoText() { return strerror(errno); }

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Length of the valid UTF-8 sequence at text[i], or 0.
size_t Utf8SequenceLength(const std::string& text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    return length;
}

// The title as one safe file name: no separators, control characters or broken UTF-8, not hidden,
// cut at a character boundary to fit maxBytes.
std::string NameFromTitle(const std::string& title, size_t maxBytes) {
    std::string name;
    for (size_t i = 0; i < title.size();) {
        const size_t length = Utf8SequenceLength(title, i);
        const unsigned char c = static_cast<unsigned char>(title[i]);
        const bool control = length == 1 && (c < 0x20 || c == 0x7F);
        const bool c1 = length == 2 && c == 0xC2 && static_cast<unsigned char>(title[i + 1]) < 0xA0;
        const std::string piece = (length == 0 || control || c1 || title[i] == '/') ? "_" : title.substr(i, length);
        if (name.size() + piece.size() > maxBytes) break;
        name += piece;
        i += length ? length : 1;
    }
    const size_t start = name.find_first_not_of(" ");
    name = start == std::string::npos ? "" : name.substr(start, name.find_last_not_of(" ") - start + 1);
    if (!name.empty() && name[0] == '.') name[0] = '_';
    return name;
}

bool EndsWithPdf(const std::string& name) {
    return name.size() >= 4 && strcasecmp(name.c_str() + name.size() - 4, ".pdf") == 0;
}

bool WriteAll(int fd, const std::string& data) {
    size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += size_t(n);
    }
    return fsync(fd) == 0;
}

void Cleanup(const std::string& temporary) {
    unlink(temporary.c_str());
    PendingTemporary[0] = '\0';
}

// Places the finished temporary file at the target; for a fallback name, the first of
// "<name>.pdf", "<name> (2).pdf", ... that does not exist yet.
std::string Publish(const std::string& temporary, const Target& target) {
    if (target.replace) {
        if (rename(temporary.c_str(), target.path.c_str()) != 0)
            throw Refusal("cannot write " + target.path + ": " + ErrnoText());
        return target.path;
    }
    const std::string stem = target.path.substr(0, target.path.size() - 4);
    for (int n = 1; n <= 999; ++n) {
        const std::string candidate = n == 1 ? target.path : stem + " (" + std::to_string(n) + ").pdf";
        if (link(temporary.c_str(), candidate.c_str()) == 0) {
            unlink(temporary.c_str());
            return candidate;
        }
        if (errno != EEXIST) throw Refusal("cannot write " + candidate + ": " + ErrnoText());
    }
    throw Refusal("every name for " + target.path + " is taken");
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

Target ChooseTarget(const OwnerSettings& settings, const JobOwner& owner, const std::string& title,
                    const std::string& jobId) {
    if (settings.bypassSaveAs == "1" && !settings.outputFile.empty()) {
        if (settings.outputFile[0] != '/') throw Refusal("OutputFile is not a full path: " + settings.outputFile);
        return {settings.outputFile, true};
    }
    const std::string folder = owner.home + "/PDF";
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) throw Refusal("cannot create " + folder + ": " + ErrnoText());
    // Room for " (999)" and ".pdf" after the name.
    std::string name = NameFromTitle(title, MaxNameBytes - 10);
    if (EndsWithPdf(name)) name.resize(name.size() - 4);
    if (name.empty()) name = "job-" + jobId;
    return {folder + "/" + name + ".pdf", false};
}

std::string WritePdf(const std::string& data, Format format, const Target& target) {
    struct stat existing {};
    if (lstat(target.path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
        throw Refusal(target.path + " is not a regular file; it is left as it is");

    std::string temporary = FolderOf(target.path) + "/.vendrellpdf-XXXXXX";
    if (temporary.size() >= sizeof PendingTemporary) throw Refusal("the path is too long: " + target.path);
    const int fd = mkstemp(temporary.data());
    if (fd < 0) throw Refusal("cannot write in " + FolderOf(target.path) + ": " + ErrnoText());
    strcpy(PendingTemporary, temporary.c_str());
    try {
        fchmod(fd, 0644);
        if (format == Format::PostScript) {
            close(fd);
            ConvertPostScript(data, temporary);
        } else {
            const bool whole = WriteAll(fd, data);
            const bool closed = close(fd) == 0;
            if (!whole || !closed) throw Refusal("cannot write " + temporary + ": " + ErrnoText());
        }
        const std::string written = Publish(temporary, target);
        PendingTemporary[0] = '\0';
        return written;
    } catch (...) {
        Cleanup(temporary);
        throw;
    }
}
