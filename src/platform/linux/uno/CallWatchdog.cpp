#include "CallWatchdog.h"

#include <algorithm>

CallWatchdog::CallWatchdog() : thread_([this] { watch(); }) {}

CallWatchdog::~CallWatchdog() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

namespace {
// How often an office is asked whether it works: a call overruns within this of a whole bound without
// work, however long the office worked before it hung.
constexpr std::chrono::milliseconds Step{250};
// However busy, an office gets no more than this many bounds for one call: a document that keeps it
// working for ever (a loop in its layout) must not hold the run for ever.
constexpr int MaxBoundsPerCall = 20;
}  // namespace

void CallWatchdog::watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!armed_) {
            changed_.wait(lock);
            continue;
        }
        const auto next = std::min(deadline_, std::chrono::steady_clock::now() + Step);
        if (changed_.wait_until(lock, next) == std::cv_status::no_timeout || !armed_) continue;
        const std::function<bool()> progressed = progressed_;
        const unsigned scope = scopes_;
        lock.unlock();
        const bool working = progressed();
        lock.lock();
        if (!armed_ || scope != scopes_) continue;
        const auto now = std::chrono::steady_clock::now();
        if (working && now < lastDeadline_) {
            deadline_ = std::min(now + bound_, lastDeadline_);
            continue;
        }
        if (!working && now < deadline_) continue;
        armed_ = false;
        overran_ = acting_ = true;
        busyTooLong_ = working;
        const std::function<void()> action = onOverrun_;
        lock.unlock();
        try {
            action();
        } catch (...) {
            // The action ends a process; nothing of it may take the watchdog down.
        }
        lock.lock();
        acting_ = false;
        changed_.notify_all();
    }
}

CallWatchdog::Scope::Scope(CallWatchdog& watchdog, std::chrono::milliseconds bound, std::function<void()> onOverrun,
                           std::function<bool()> progressed)
    : watchdog_(watchdog) {
    progressed();  // the call starts from here
    {
        std::lock_guard lock(watchdog_.mutex_);
        watchdog_.armed_ = true;
        watchdog_.overran_ = watchdog_.busyTooLong_ = false;
        watchdog_.deadline_ = std::chrono::steady_clock::now() + bound;
        watchdog_.lastDeadline_ = watchdog_.deadline_ + bound * (MaxBoundsPerCall - 1);
        watchdog_.bound_ = bound;
        ++watchdog_.scopes_;
        watchdog_.onOverrun_ = std::move(onOverrun);
        watchdog_.progressed_ = std::move(progressed);
    }
    watchdog_.changed_.notify_all();
}

CallWatchdog::Scope::~Scope() {
    std::unique_lock lock(watchdog_.mutex_);
    watchdog_.armed_ = false;
    watchdog_.changed_.notify_all();
    watchdog_.changed_.wait(lock, [this] { return !watchdog_.acting_; });
}

std::chrono::milliseconds CallWatchdog::Scope::longest(std::chrono::milliseconds bound) { return bound * MaxBoundsPerCall; }

bool CallWatchdog::Scope::busyTooLong() const {
    std::lock_guard lock(watchdog_.mutex_);
    return watchdog_.busyTooLong_;
}

bool CallWatchdog::Scope::overran() const {
    std::unique_lock lock(watchdog_.mutex_);
    watchdog_.changed_.wait(lock, [this] { return !watchdog_.acting_; });
    return watchdog_.overran_;
}
