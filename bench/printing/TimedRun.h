#pragma once
// A whole print run of the real program code, timed: the main window on this machine's platform
// (real office, CUPS, registry, settings), its boxes answered at once, its waits counted.
#include <functional>
#include <vector>

#include "CountingRuntime.h"
#include "RealPlatform.h"
#include "app/Form1.h"

struct BenchWindow {
    RealPlatform real;
    CountingRuntime runtime{real.runtime};
    Platform platform{real.dialogs, real.settings, real.registry, real.printers, *real.office,
                      real.shell,   real.files,    runtime,        real.platform.programFolder};
    Form1 form{platform};

    // Loaded and shown as at a start (which starts the office), pause at zero, printer chosen.
    explicit BenchWindow(const QString& printer);
};

struct RunFigures {
    int documents = 0;
    double wallSeconds = 0;   // from the click until the last output is there
    double waitsSeconds = 0;  // asked of sleep and waitWithEvents
    std::vector<double> passCosts;  // each pass's time beyond its own waits
    double waitCpuPercent = 0;  // the process's processor use inside the waits, of one core
    QStringList messages;       // every box the run showed

    // The run's own cost per document beyond its designed waits.
    double costPerDocument() const { return (wallSeconds - waitsSeconds) / documents; }
};

// Presses "Start Printing" on the listed documents and times the run until outputsThere() holds.
RunFigures TimeRun(BenchWindow& window, const std::function<bool()>& outputsThere);

// One fresh office process, `soffice` with these arguments, from its start to its end and on
// until its output is there; in seconds.
double TimeOfficeCommand(const QStringList& arguments, const std::function<bool()>& outputThere);
