#pragma once
// This machine's runtime with an account of the waits asked of it: a run's designed pacing is then
// known exactly instead of assumed, and what its waits cost the processor is seen. The designed waits
// are whole seconds; shorter ones are the run polling for its job, which is part of its own cost.
#include <algorithm>
#include <cstdlib>

#include "Measure.h"
#include "platform/Runtime.h"

class CountingRuntime : public Runtime {
public:
    explicit CountingRuntime(Runtime& machine) : machine_(machine) {}

    QDateTime now() override { return machine_.now(); }
    void sleep(int milliseconds) override {
        askedMs += std::max(milliseconds, 0);
        machine_.sleep(milliseconds);
    }
    void pumpMessages() override { machine_.pumpMessages(); }
    void waitWithEvents(int milliseconds) override {
        if (milliseconds >= 1000) askedMs += milliseconds;
        const double cpu = CpuSeconds();
        const Stopwatch wall;
        machine_.waitWithEvents(milliseconds);
        waitCpuSeconds += CpuSeconds() - cpu;
        waitWallSeconds += wall.seconds();
    }
    [[noreturn]] void endProgram() override {
        machine_.endProgram();
        std::abort();  // not reached; the compiler does not see through the virtual call
    }

    void reset() {
        askedMs = 0;
        waitCpuSeconds = waitWallSeconds = 0;
    }

    qint64 askedMs = 0;  // by sleep and waitWithEvents together
    double waitCpuSeconds = 0, waitWallSeconds = 0;  // inside waitWithEvents

private:
    Runtime& machine_;
};
