#include "RunUnderWay.h"

namespace {
// Runs never nest: the Printing flag turns a second start away.
RunUnderWay* runUnderWay = nullptr;
}  // namespace

RunUnderWay::RunUnderWay(const Form1& form) : form_(form) { runUnderWay = this; }

RunUnderWay::~RunUnderWay() { runUnderWay = nullptr; }

void RunUnderWay::releaseDefault(Platform& platform) {
    if (!holdsDefault) return;
    holdsDefault = false;
    platform.printers.releaseUserDefault();
}

RunUnderWay* RunUnderWay::on(const Form1& form) {
    return runUnderWay && &runUnderWay->form_ == &form ? runUnderWay : nullptr;
}
