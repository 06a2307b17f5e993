#include "PdfTools.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>

#include "Refusal.h"
#include "Tool.h"

namespace {

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

}  // namespace

void ConvertPostScript(const std::string& postscript, int output, Deadline deadline) {
    const int input = MemoryFile(postscript);
    if (input < 0) throw Refusal("cannot hold the PostScript document for conversion");
    int code;
    try {
        // Ghostscript writes to the descriptor it is given, never to a name in the folder.
        code = RunTool({"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pdfwrite", "-sstdout=%stderr",
                        "-sOutputFile=/dev/fd/3", "-"},
                       input, output, deadline);
    } catch (...) {
        close(input);
        throw;
    }
    close(input);
    if (code == 127) throw Refusal("Ghostscript (gs) is needed to convert PostScript");
    if (code != 0) throw Refusal("the PostScript conversion failed");
}

void CheckPdf(int pdf, Deadline deadline) {
    // qpdf reads the file through its own descriptor 0: "/dev/stdin" opens that same file anew.
    const int code = RunTool({"qpdf", "--check", "/dev/stdin"}, pdf, -1, deadline);
    if (code == 127) throw Refusal("qpdf is needed to check PDF documents");
    if (code != 0) throw Refusal("the PDF document is damaged or incomplete (qpdf --check found faults)");
}
