#include "PrintJobWatch.h"

#include <com/sun/star/view/PrintableState.hpp>

void PrintJobWatch::printJobEvent(const css::view::PrintJobEvent& event) {
    switch (event.State) {
        case css::view::PrintableState_JOB_SPOOLED:
        case css::view::PrintableState_JOB_COMPLETED:
            become(PrintJobState::Spooled);
            break;
        case css::view::PrintableState_JOB_ABORTED:
        case css::view::PrintableState_JOB_FAILED:
        case css::view::PrintableState_JOB_SPOOLING_FAILED:
            become(PrintJobState::Failed);
            break;
        default:
            break;
    }
}

void PrintJobWatch::become(PrintJobState state) {
    {
        std::lock_guard lock(mutex_);
        state_ = state;
    }
    changed_.notify_all();
}

PrintJobState PrintJobWatch::stateWithin(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, wait, [this] { return state_ != PrintJobState::Rendering; });
    return state_;
}
