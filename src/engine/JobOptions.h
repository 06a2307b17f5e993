#pragma once
// The printer's own options for the jobs of a run, as `lp -o` takes them, checked against what the
// printer says it supports before anything is printed.
#include <QStringList>
#include <optional>

#include "platform/PrintQueues.h"

// "NAME=VALUE"; a bare NAME means NAME=true, as for `lp -o`. Nothing when there is no name.
std::optional<JobOption> ParseJobOption(const QString& text);

struct OptionsVerdict {
    QStringList refused;   // an option or value the printer does not support, with what it supports
    QStringList warnings;  // an option for which the printer lists no values: passed on as given
};

// Asks the printer (its queue) about every option; `printer` is its name for the messages.
OptionsVerdict CheckJobOptions(PrintQueues& printers, const QString& printer, const QString& queue, const JobOptions& options);
