#pragma once
#include "platform/Platform.h"

class Form1;

// A print run under way on a window. It holds the user's default printer setting from the run's start
// until the run has put it back, so that closing the window in mid-run can put it back instead.
class RunUnderWay {
public:
    explicit RunUnderWay(const Form1& form);
    ~RunUnderWay();
    RunUnderWay(const RunUnderWay&) = delete;
    RunUnderWay& operator=(const RunUnderWay&) = delete;

    // The run under way on form, if any.
    static RunUnderWay* on(const Form1& form);

    // Puts the user's default printer setting back (once no other run of the user switches it).
    void releaseDefault(Platform& platform);

    bool holdsDefault = false;

private:
    const Form1& form_;
};
