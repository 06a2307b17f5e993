#include "PostScriptToPdf.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "Refusal.h"

volatile pid_t ConverterPid = 0;

namespace {

// Ghostscript reads "%d" and the like in an output name as a page number; "%%" is a plain "%".
std::string GhostscriptOutputName(const std::string& path) {
    std::string escaped;
    for (const char c : path) escaped += c == '%' ? std::string("%%") : std::string(1, c);
    return escaped;
}

// The input as a file of its own in memory, so the converter can read it at its own pace.
int MemoryFile(const std::string& data) {
    const int fd = memfd_create("vendrellpdf-input", MFD_CLOEXEC);
    if (fd < 0) return -1;
    size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            close(fd);
            return -1;
        }
        written += size_t(n);
    }
    lseek(fd, 0, SEEK_SET);
    return fd;
}

// Waits for the child until the deadline; ends it then. Its wait status, or -1 when it was ended.
int WaitWithDeadline(pid_t child, int seconds) {
    const time_t deadline = time(nullptr) + seconds;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) return status;
        if (done < 0 && errno != EINTR) return -1;
        if (time(nullptr) >= deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return -1;
        }
        usleep(20 * 1000);
    }
}

bool StartsAsPdf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char head[5] = {};
    return file.read(head, 5) && std::string(head, 5) == "%PDF-";
}

}  // namespace

void ConvertPostScript(const std::string& postscript, const std::string& pdfPath) {
    const int input = MemoryFile(postscript);
    if (input < 0) throw Refusal("cannot hold the PostScript document for conversion");
    const std::string output = "-sOutputFile=" + GhostscriptOutputName(pdfPath);
    const pid_t child = fork();
    if (child < 0) {
        close(input);
        throw Refusal("cannot start the PostScript converter");
    }
    if (child == 0) {
        dup2(input, STDIN_FILENO);
        dup2(STDERR_FILENO, STDOUT_FILENO);  // the converter's messages belong in the log
        execlp("gs", "gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pdfwrite", "-sstdout=%stderr",
               output.c_str(), "-", static_cast<char*>(nullptr));
        _exit(127);
    }
    ConverterPid = child;
    close(input);
    const int status = WaitWithDeadline(child, ConversionSeconds);
    ConverterPid = 0;
    if (status == -1) throw Refusal("the PostScript conversion did not end within " + std::to_string(ConversionSeconds) + " seconds");
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) throw Refusal("Ghostscript (gs) is needed to convert PostScript");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw Refusal("the PostScript conversion failed");
    if (!StartsAsPdf(pdfPath)) throw Refusal("the PostScript conversion wrote no PDF");
    const int fd = open(pdfPath.c_str(), O_RDONLY);
    const bool synced = fd >= 0 && fsync(fd) == 0;
    if (fd >= 0) close(fd);
    if (!synced) throw Refusal("cannot write " + pdfPath);
}
