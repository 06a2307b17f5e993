// The "Vendrell PDF Writer" CUPS backend: writes each job as a PDF file of the job's owner.
// Arguments (CUPS backend convention): job-id user title copies options [file]; without
// arguments it names its device for lpinfo.
//
// It runs as root in two processes: the supervisor keeps root's rights and only watches the clock
// and the worker; the worker takes the owner's rights and does everything that touches the
// owner's files. A job that is not written is cancelled (CUPS_BACKEND_CANCEL) with the reason in
// the CUPS log: the fault is the job's, so the queue goes on with the next one.
#include <arpa/inet.h>
#include <cups/backend.h>
#include <cups/cups.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "Deadline.h"
#include "JobOwner.h"
#include "JobTarget.h"
#include "Log.h"
#include "PdfOutput.h"
#include "Refusal.h"
#include "Supervisor.h"

namespace {

constexpr size_t MaxJobBytes = size_t(1) << 30;

std::string JobOption(const char* options, const char* name) {
    cups_option_t* parsed = nullptr;
    const int count = cupsParseOptions(options, 0, &parsed);
    const char* value = cupsGetOption(name, count, parsed);
    std::string result = value ? value : "";
    cupsFreeOptions(count, parsed);
    return result;
}

// Only this machine's users have files here. The scheduler names the host a job came from:
// "localhost" for its local socket, else the peer's address; a loopback address is compared as
// an address, never by how its text begins.
bool IsThisMachine(std::string host) {
    if (host == "localhost") return true;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    if (host.rfind("v1.", 0) == 0) host.erase(0, 3);
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    if (inet_pton(AF_INET6, host.c_str(), &v6) != 1) return false;
    if (IN6_IS_ADDR_LOOPBACK(&v6)) return true;
    return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
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

// The worker: everything with the owner's rights.
int WriteJob(const JobOwner& owner, const std::string& jobId, const std::string& title, int input, pid_t supervisor) {
    try {
        const Deadline deadline = Clock::now() + std::chrono::seconds(JobSeconds);
        BecomeOwner(owner, supervisor);
        const std::string data = ReadAll(input);
        const Format format = DetectFormat(data);
        const JobTarget target = ChooseTarget(owner, jobId, title, deadline);
        const std::string written = WritePdf(data, format, target, owner.uid, deadline);
        LogLine("INFO", "job " + jobId + " of " + owner.name + " written to " + written);
        return CUPS_BACKEND_OK;
    } catch (const std::exception& e) {
        LogLine("ERROR", e.what());
    }
    return CUPS_BACKEND_CANCEL;
}

int PrintJob(int argc, char* argv[]) {
    const std::string jobId = argv[1], user = argv[2], title = argv[3];
    const std::string host = JobOption(argv[5], "job-originating-host-name");
    if (!IsThisMachine(host))
        throw Refusal("job " + jobId + " comes from " + (host.empty() ? "an unknown host" : "the host " + host) +
                      "; only jobs of this machine are written");
    const JobOwner owner = FindOwner(user);
    // The job's data is opened with the scheduler's rights, everything else with the owner's.
    const int input = argc == 7 ? open(argv[6], O_RDONLY | O_CLOEXEC) : STDIN_FILENO;
    if (input < 0) throw Refusal(std::string("cannot open the job's data: ") + strerror(errno));
    const pid_t supervisor = getpid();
    return SuperviseWorker([&] { return WriteJob(owner, jobId, title, input, supervisor); });
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 1) {
        puts("file vendrellpdf \"Unknown\" \"Vendrell PDF Writer\"");
        return CUPS_BACKEND_OK;
    }
    if (argc < 6 || argc > 7) {
        LogLine("ERROR", "usage: vendrellpdf job-id user title copies options [file]");
        return CUPS_BACKEND_FAILED;
    }
    signal(SIGPIPE, SIG_IGN);
    try {
        return PrintJob(argc, argv);
    } catch (const std::exception& e) {
        LogLine("ERROR", e.what());
    }
    return CUPS_BACKEND_CANCEL;
}
