#include "Supervisor.h"

#include <cups/backend.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "Deadline.h"
#include "Log.h"

namespace {

// A little more than the worker's own limit, so that the worker can say why it gave up.
constexpr int SupervisorSeconds = JobSeconds + 5;

volatile pid_t WorkerGroup = 0;

// Cancelling a job sends SIGTERM to the backend: end the worker and all it started.
extern "C" void OnTerminate(int) {
    if (WorkerGroup > 0) kill(-WorkerGroup, SIGKILL);
    _exit(CUPS_BACKEND_CANCEL);
}

int EndGroup(pid_t worker, const std::string& reason) {
    kill(-worker, SIGKILL);
    while (waitpid(worker, nullptr, 0) < 0 && errno == EINTR) {
    }
    LogLine("ERROR", reason);
    return CUPS_BACKEND_CANCEL;
}

}  // namespace

int SuperviseWorker(const std::function<int()>& work) {
    const Deadline deadline = Clock::now() + std::chrono::seconds(SupervisorSeconds);
    signal(SIGTERM, OnTerminate);
    const pid_t worker = fork();
    if (worker < 0) {
        LogLine("ERROR", "cannot start the job's worker");
        return CUPS_BACKEND_FAILED;
    }
    if (worker == 0) {
        signal(SIGTERM, SIG_DFL);
        setpgid(0, 0);
        _exit(work());
    }
    setpgid(worker, worker);  // also here, so that no signal can come before the group exists
    WorkerGroup = worker;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(worker, &status, WNOHANG | WUNTRACED);
        if (done == worker && WIFSTOPPED(status))
            return EndGroup(worker, "the job's worker was stopped (signal " + std::to_string(WSTOPSIG(status)) +
                                        "); the job is cancelled so that the queue goes on");
        if (done == worker) {
            kill(-worker, SIGKILL);  // whatever it left running
            WorkerGroup = 0;
            if (WIFEXITED(status)) return WEXITSTATUS(status);
            LogLine("ERROR", "the job's worker was ended by signal " + std::to_string(WTERMSIG(status)) + "; the job is not written");
            return CUPS_BACKEND_CANCEL;
        }
        if (done < 0 && errno != EINTR) return EndGroup(worker, "lost the job's worker");
        if (Clock::now() >= deadline)
            return EndGroup(worker, "the job did not end within " + std::to_string(JobSeconds) + " seconds; it is cancelled");
        usleep(20 * 1000);
    }
}
