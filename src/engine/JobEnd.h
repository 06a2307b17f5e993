#pragma once
// How a job handed to the printing system ends, as far as a run follows it: printed, failed (aborted or
// canceled), or waiting (held, or on a stopped printer, or not done within the run's bound). A waiting
// job is never canceled by the run: it prints when its printer can, so it is no failure either.
#include <QString>
#include <optional>

#include "platform/PrintQueues.h"

struct JobEnd {
    enum class Kind { Printed, Failed, Waiting } kind = Kind::Waiting;
    QString reason;  // failed or waiting: why, in the printing system's words
};

// What the job's state and its printer's say now; nothing while the job is on its way.
std::optional<JobEnd> EndOfJob(const PrintJob& job, const PrinterState& printer);
// A job still on its way when the run has waited `seconds` for it.
JobEnd StillOnItsWay(const PrintJob& job, const PrinterState& printer, int seconds);
