#include "PrintJobWatch.h"

#include <com/sun/star/view/PrintableState.hpp>

void PrintJobWatch::printJobEvent(const css::view::PrintJobEvent& event) {
    switch (event.State) {
        case css::view::PrintableState_JOB_SPOOLED:
        case css::view::PrintableState_JOB_COMPLETED:
            state_ = PrintJobState::Spooled;
            break;
        case css::view::PrintableState_JOB_ABORTED:
        case css::view::PrintableState_JOB_FAILED:
        case css::view::PrintableState_JOB_SPOOLING_FAILED:
            state_ = PrintJobState::Failed;
            break;
        default:
            break;
    }
}
