#pragma once
#include <com/sun/star/view/XPrintJobListener.hpp>
#include <cppuhelper/implbase1.hxx>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/Office.h"

// Follows one print command of a document through the office's print-job events: the office renders
// the job after the command has returned, then hands it to the printing system (spooled) or fails to
// (a queue that rejects jobs or is gone). Events arrive on the bridge's threads.
class PrintJobWatch : public cppu::WeakImplHelper1<css::view::XPrintJobListener> {
public:
    void SAL_CALL printJobEvent(const css::view::PrintJobEvent& event) override;
    void SAL_CALL disposing(const css::lang::EventObject&) override {}

    // The state once the job has left rendering, or after `wait`, whichever comes first.
    PrintJobState stateWithin(std::chrono::milliseconds wait);

    // Kept by the UI thread: when the office last used processor time while rendering.
    long long ticks = -1;
    std::chrono::steady_clock::time_point lastWorked = std::chrono::steady_clock::now();

private:
    void become(PrintJobState state);

    std::mutex mutex_;
    std::condition_variable changed_;
    PrintJobState state_ = PrintJobState::Rendering;
};
