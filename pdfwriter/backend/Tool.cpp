#include "Tool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "Log.h"
#include "Refusal.h"

namespace {

// A tool may say this much before the rest of what it says is dropped.
constexpr int MostLines = 200;

[[noreturn]] void StartTool(const std::vector<std::string>& command, int input, int output, int messages, pid_t worker) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != worker) _exit(127);
    if (dup2(input, STDIN_FILENO) < 0 || dup2(messages, STDOUT_FILENO) < 0 || dup2(messages, STDERR_FILENO) < 0) _exit(127);
    if (output >= 0 && dup2(output, 3) < 0) _exit(127);
    close_range(output >= 0 ? 4 : 3, ~0U, 0);
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

class MessageRelay {
public:
    explicit MessageRelay(std::string name) : name_(std::move(name)) {}
    void take(const char* data, size_t size) {
        pending_.append(data, size);
        size_t end;
        while ((end = pending_.find('\n')) != std::string::npos) {
            pass(pending_.substr(0, end));
            pending_.erase(0, end + 1);
        }
        if (pending_.size() > 4096) {
            pass(pending_);
            pending_.clear();
        }
    }
    void finish() {
        if (!pending_.empty()) pass(pending_);
        if (lines_ > MostLines) LogLine("DEBUG", name_ + ": " + std::to_string(lines_ - MostLines) + " more lines not shown");
    }

private:
    void pass(const std::string& line) {
        if (++lines_ <= MostLines) LogLine("DEBUG", name_ + ": " + line);
    }
    std::string name_, pending_;
    int lines_ = 0;
};

void EndTool(pid_t child) {
    kill(child, SIGKILL);
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

int RunTool(const std::vector<std::string>& command, int input, int output, Deadline deadline) {
    int pipe[2];
    if (pipe2(pipe, O_CLOEXEC) != 0) throw Refusal("cannot start " + command[0]);
    // Never blocks the worker, not even on a descendant that keeps the pipe open.
    fcntl(pipe[0], F_SETFL, O_NONBLOCK);
    const pid_t worker = getpid();
    const pid_t child = fork();
    if (child < 0) {
        close(pipe[0]);
        close(pipe[1]);
        throw Refusal("cannot start " + command[0]);
    }
    if (child == 0) StartTool(command, input, output, pipe[1], worker);
    close(pipe[1]);
    MessageRelay relay(command[0]);
    bool open = true;
    for (;;) {
        if (open) {
            pollfd messages{pipe[0], POLLIN, 0};
            if (poll(&messages, 1, 50) > 0) {
                char buffer[4096];
                const ssize_t got = read(pipe[0], buffer, sizeof buffer);
                if (got > 0) relay.take(buffer, size_t(got));
                else if (got == 0 || (errno != EINTR && errno != EAGAIN)) open = false;
            }
        } else {
            usleep(50 * 1000);
        }
        int status = 0;
        const pid_t done = waitpid(child, &status, WNOHANG | WUNTRACED);
        if (done == child && WIFSTOPPED(status)) {
            EndTool(child);
            close(pipe[0]);
            throw Refusal(command[0] + " was stopped; the job is given up so that the queue goes on");
        }
        if (done == child) {
            // What it said last may still be in the pipe.
            char buffer[4096];
            ssize_t got;
            while (open && (got = read(pipe[0], buffer, sizeof buffer)) > 0) relay.take(buffer, size_t(got));
            close(pipe[0]);
            relay.finish();
            if (WIFEXITED(status)) return WEXITSTATUS(status);
            throw Refusal(command[0] + " ended by signal " + std::to_string(WTERMSIG(status)));
        }
        if (Clock::now() >= deadline) {
            EndTool(child);
            close(pipe[0]);
            throw Refusal(command[0] + " did not end within the job's " + std::to_string(JobSeconds) + " seconds");
        }
    }
}
