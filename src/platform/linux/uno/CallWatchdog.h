#pragma once
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Bounds the office calls of the UI thread: when, during a guarded call, the office has made no progress
// for a whole bound since it last did (an office that works, say rendering a long document, is not
// hung, up to twenty bounds), the watchdog's own thread runs the overrun action (which ends the office, so that the blocked
// call returns with an error).
class CallWatchdog {
public:
    CallWatchdog();
    ~CallWatchdog();
    CallWatchdog(const CallWatchdog&) = delete;
    CallWatchdog& operator=(const CallWatchdog&) = delete;

    // One guarded call. Scopes do not nest.
    class Scope {
    public:
        // progressed() tells whether the office worked since it was last asked; it is asked once at the
        // start, and then every quarter of a second while the call lasts.
        Scope(CallWatchdog& watchdog, std::chrono::milliseconds bound, std::function<void()> onOverrun,
              std::function<bool()> progressed);
        ~Scope();  // waits for an overrun action that is running to finish
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
        bool overran() const;
        // Overran although the office worked: it worked on the call for longest(bound).
        bool busyTooLong() const;
        static std::chrono::milliseconds longest(std::chrono::milliseconds bound);

    private:
        CallWatchdog& watchdog_;
    };

private:
    void watch();

    std::mutex mutex_;
    std::condition_variable changed_;
    bool armed_ = false, overran_ = false, busyTooLong_ = false, acting_ = false, stopping_ = false;
    std::chrono::steady_clock::time_point deadline_, lastDeadline_;  // the next check's; the call's very last
    std::chrono::milliseconds bound_{};
    unsigned scopes_ = 0;  // tells a scope that began while progress was asked from the one asked about
    std::function<void()> onOverrun_;
    std::function<bool()> progressed_;
    std::thread thread_;
};
