#pragma once
#include <QList>
#include <atomic>
#include <mutex>
#include <chrono>
#include <optional>
#include <sys/types.h>

#include "OfficeSettings.h"

// The office process on this program's profile: started headless on the private pipe, in its
// sandbox unless the user asked for the unsafe way, and ended again, also when it hangs. It dies with
// the program (parent-death signal), even when the program is killed.
class OfficeProcess {
public:
    explicit OfficeProcess(OfficeSettings settings) : settings_(std::move(settings)) {}
    ~OfficeProcess();
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    bool installed() const;
    // Whether the office it starts sees the printing system (an office that only exports need not).
    void setPrinting(bool printing) { printing_ = printing; }
    // Starts the office; throws RuntimeError when it cannot be started at all, also when it cannot be
    // sandboxed.
    void start();
    // The office's own folder (see SandboxPlan::runFolder), from its start until it has ended; an
    // office without a sandbox has only its temporary folder there.
    QString runFolder() const { return runFolder_; }
    // Where a sandboxed office makes its pipe; empty without a sandbox (the pipe's name finds it).
    QString pipePath() const;
    bool startedHere() const { return child_ != 0; }
    // Whether the office this program started has ended. An office that ends asking to be started
    // again (as it does after creating a new profile) is started again.
    bool exited();
    // How the office that exited last ended: its exit code, or -1 for a signal.
    int exitCode() const { return exitCode_; }
    // The processor time this program's office has used so far, in clock ticks; nothing when this
    // program has no office running. Safe on any thread.
    std::optional<long long> cpuTicks() const;
    // SIGKILL to this program's office and to any other office on the profile. Safe on any thread.
    void kill() noexcept;
    // Waits up to the bound for this program's office to end; true when it has.
    bool reap(std::chrono::milliseconds bound);

private:
    void spawn();
    void makeRunFolder();
    void removeRunFolder();
    QList<pid_t> officesOnProfile() const;

    const OfficeSettings settings_;  // a copy: office objects handed out may outlive the office
    bool printing_ = true;
    QString runFolder_;
    mutable std::mutex officeMutex_;
    mutable pid_t office_ = 0;  // a sandboxed office's own process, once found
    std::atomic<pid_t> child_{0};
    int restarts_ = 0;
    int exitCode_ = 0;
};
