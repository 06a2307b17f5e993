// The "Vendrell PDF Writer" CUPS backend: writes each job as a PDF file of the job's owner.
// Arguments (CUPS backend convention): job-id user title copies options [file]; without
// arguments it names its device for lpinfo.
//
// A job that is not written is cancelled (CUPS_BACKEND_CANCEL) with the reason in the CUPS log:
// the fault is the job's, so the queue goes on with the next one instead of stopping or retrying.
#include <cups/backend.h>
#include <cups/cups.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "JobOwner.h"
#include "OwnerSettings.h"
#include "PdfOutput.h"
#include "PostScriptToPdf.h"
#include "Refusal.h"

namespace {

constexpr size_t MaxJobBytes = size_t(1) << 30;

// Cancelling a job sends SIGTERM: end the converter and leave no partial file behind.
extern "C" void OnTerminate(int) {
    if (ConverterPid > 0) kill(ConverterPid, SIGKILL);
    if (PendingTemporary[0]) unlink(PendingTemporary);
    _exit(CUPS_BACKEND_CANCEL);
}

std::string JobOption(const char* options, const char* name) {
    cups_option_t* parsed = nullptr;
    const int count = cupsParseOptions(options, 0, &parsed);
    const char* value = cupsGetOption(name, count, parsed);
    std::string result = value ? value : "";
    cupsFreeOptions(count, parsed);
    return result;
}

// Only this machine's users have files here; the scheduler names the host a job came from.
bool IsThisMachine(const std::string& host) {
    return host == "localhost" || host == "::1" || host == "[::1]" || host.rfind("127.", 0) == 0 ||
           host == "[v1.::1]";
}

std::string ReadAll(int fd) {
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw Refusal(std::string("cannot read the job: ") + strerror(errno));
        if (n == 0) return data;
        data.append(buffer, size_t(n));
        if (data.size() > MaxJobBytes) throw Refusal("the job is larger than 1 GiB");
    }
}

void PrintJob(int argc, char* argv[]) {
    const std::string jobId = argv[1], user = argv[2], title = argv[3];
    const std::string host = JobOption(argv[5], "job-originating-host-name");
    if (!IsThisMachine(host))
        throw Refusal("job " + jobId + " comes from " + (host.empty() ? "an unknown host" : "the host " + host) +
                      "; only jobs of this machine are written");
    const JobOwner owner = FindOwner(user);
    // The job's data is opened with the scheduler's rights, everything else with the owner's.
    const int input = argc == 7 ? open(argv[6], O_RDONLY | O_CLOEXEC) : STDIN_FILENO;
    if (input < 0) throw Refusal(std::string("cannot open the job's data: ") + strerror(errno));
    BecomeOwner(owner);
    const std::string data = ReadAll(input);
    const Format format = DetectFormat(data);
    const Target target = ChooseTarget(ReadOwnerSettings(owner.home), owner, title, jobId);
    const std::string written = WritePdf(data, format, target);
    LogLine("INFO", "job " + jobId + " of " + user + " written to " + written);
}

}  // namespace

void LogLine(const char* level, const std::string& text) { fprintf(stderr, "%s: %s\n", level, text.c_str()); }

int main(int argc, char* argv[]) {
    if (argc == 1) {
        puts("file vendrellpdf \"Unknown\" \"Vendrell PDF Writer\"");
        return CUPS_BACKEND_OK;
    }
    if (argc < 6 || argc > 7) {
        LogLine("ERROR", "usage: vendrellpdf job-id user title copies options [file]");
        return CUPS_BACKEND_FAILED;
    }
    setbuf(stderr, nullptr);
    signal(SIGTERM, OnTerminate);
    signal(SIGPIPE, SIG_IGN);
    try {
        PrintJob(argc, argv);
        return CUPS_BACKEND_OK;
    } catch (const Refusal& refusal) {
        LogLine("ERROR", refusal.what());
    } catch (const std::exception& e) {
        LogLine("ERROR", std::string("job not written: ") + e.what());
    }
    return CUPS_BACKEND_CANCEL;
}
