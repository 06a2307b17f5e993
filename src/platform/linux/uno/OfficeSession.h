#pragma once
#include <QStringList>
#include <rtl/ref.hxx>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>

#include "CallWatchdog.h"
#include "PrintJobWatch.h"
#include "UnoErrors.h"

// One connection to one office process. Every office call goes through call(): it is bounded by the
// watchdog, and an office exception comes out as a RuntimeError.
class OfficeSession {
public:
    struct Guard {
        std::shared_ptr<CallWatchdog> watchdog;
        std::chrono::milliseconds bound;
        std::function<void()> endOffice;  // runs on the watchdog's thread when a call overruns
        // The processor time the office has used, in clock ticks; -1 when unknown. Any thread.
        std::function<long long()> cpuTicks;
    };

    // The office that answers on the pipe (found by its socket's path when that is given, else by its
    // name), or null when none does. Throws RuntimeError when one answers and then fails or hangs.
    static std::shared_ptr<OfficeSession> connect(const QString& pipeName, const QString& socketPath, Guard guard);
    ~OfficeSession();
    OfficeSession(const OfficeSession&) = delete;
    OfficeSession& operator=(const OfficeSession&) = delete;

    template <class F>
    auto call(F&& f) -> decltype(f());

    // A round trip to the office; false when it is gone or did not answer in time (it is then ended).
    bool answers();
    // Whether the office has the printer in its list, which it reads once, when it starts.
    bool knowsPrinter(const QString& name) const { return printers_.contains(name); }
    // Asks the office to end; it may end before it can answer.
    void terminateOffice();
    // Drops the connection; a call blocked on it returns with an error. Safe on any thread.
    void dispose() noexcept;
    long long cpuTicks() const { return guard_.cpuTicks(); }
    std::chrono::milliseconds bound() const { return guard_.bound; }

    // Where print commands go: a queue, or the empty text for the user's default at that moment.
    QString targetQueue;
    // The last print command's job, as the office reports it.
    rtl::Reference<PrintJobWatch> printJob;
    // A sandboxed office's own folder (see SandboxPlan): documents are given to it there. Empty
    // without a sandbox.
    QString runFolder;

    const css::uno::Reference<css::uno::XComponentContext>& context() const { return context_; }
    const css::uno::Reference<css::lang::XMultiComponentFactory>& serviceManager() const { return serviceManager_; }

private:
    OfficeSession(css::uno::Reference<css::bridge::XBridge> bridge, Guard guard);
    RuntimeError overrun(const CallWatchdog::Scope& scope) const {
        return scope.busyTooLong() ? OfficeErr::busyTooLong(CallWatchdog::Scope::longest(guard_.bound)) : OfficeErr::hung(guard_.bound);
    }

    Guard guard_;
    std::mutex mutex_;
    css::uno::Reference<css::bridge::XBridge> bridge_;  // null once disposed
    css::uno::Reference<css::uno::XComponentContext> context_;
    css::uno::Reference<css::lang::XMultiComponentFactory> serviceManager_;
    QStringList printers_;
    std::atomic<long long> watchdogTicks_{-1};
};

template <class F>
auto OfficeSession::call(F&& f) -> decltype(f()) {
    {
        std::lock_guard lock(mutex_);
        if (!bridge_.is()) throw OfficeErr::gone({});
    }
    CallWatchdog::Scope scope(
        *guard_.watchdog, guard_.bound,
        [this] {
            guard_.endOffice();
            dispose();
        },
        [this] {
            // An office is hung when it neither answers nor works: one that uses processor time is
            // busy, say rendering a long document, and gets another bound.
            const long long now = guard_.cpuTicks();
            const long long before = watchdogTicks_.exchange(now);
            return before >= 0 && now > before;
        });
    try {
        if constexpr (std::is_void_v<decltype(f())>) {
            f();
            if (scope.overran()) throw overrun(scope);
        } else {
            auto result = f();
            if (scope.overran()) throw overrun(scope);
            return result;
        }
    } catch (const css::uno::Exception&) {
        if (scope.overran()) throw overrun(scope);
        throw OfficeErr::fromCaughtException();
    }
}
