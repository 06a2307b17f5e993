#pragma once
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Bounds the office calls of the UI thread: when a guarded call overruns, the watchdog's own thread
// runs the overrun action (which ends the office, so that the blocked call returns with an error).
class CallWatchdog {
public:
    CallWatchdog();
    ~CallWatchdog();
    CallWatchdog(const CallWatchdog&) = delete;
    CallWatchdog& operator=(const CallWatchdog&) = delete;

    // One guarded call. Scopes do not nest.
    class Scope {
    public:
        Scope(CallWatchdog& watchdog, std::chrono::milliseconds bound, std::function<void()> onOverrun);
        ~Scope();  // waits for an overrun action that is running to finish
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        bool overran() const;

    private:
        CallWatchdog& watchdog_;
    };

private:
    void watch();

    std::mutex mutex_;
    std::condition_variable changed_;
    bool armed_ = false, overran_ = false, acting_ = false, stopping_ = false;
    std::chrono::steady_clock::time_point deadline_;
    std::function<void()> onOverrun_;
    std::thread thread_;
};
