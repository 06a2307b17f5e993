#include "JobEnd.h"

#include <QStringList>

namespace {
QString stateName(PrintJob::State state) {
    switch (state) {
        case PrintJob::State::Pending: return QStringLiteral("pending");
        case PrintJob::State::Held: return QStringLiteral("held");
        case PrintJob::State::Processing: return QStringLiteral("processing");
        case PrintJob::State::Stopped: return QStringLiteral("stopped");
        case PrintJob::State::Cancelled: return QStringLiteral("canceled");
        case PrintJob::State::Aborted: return QStringLiteral("aborted");
        case PrintJob::State::Completed: break;
    }
    return QStringLiteral("completed");
}

// The job's and its printer's reasons and messages, whatever of them the printing system gives.
QString circumstances(const PrintJob& job, const PrinterState& printer) {
    QStringList parts;
    if (!job.stateReasons.isEmpty()) parts << QStringLiteral("job-state-reasons: ") + job.stateReasons;
    if (!printer.reasons.isEmpty()) parts << QStringLiteral("printer-state-reasons: ") + printer.reasons;
    const QString message = !printer.message.isEmpty() ? printer.message : job.reason;
    if (!message.isEmpty()) parts << QStringLiteral("\"%1\"").arg(message);
    return parts.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(parts.join(QStringLiteral("; ")));
}

QString jobOn(const PrintJob& job) { return QStringLiteral("job %1 on \"%2\"").arg(job.id).arg(job.printer); }
}  // namespace

std::optional<JobEnd> EndOfJob(const PrintJob& job, const PrinterState& printer) {
    switch (job.state) {
        case PrintJob::State::Completed: return JobEnd{JobEnd::Kind::Printed, {}};
        case PrintJob::State::Cancelled:
        case PrintJob::State::Aborted:
            return JobEnd{JobEnd::Kind::Failed,
                          QStringLiteral("%1 was %2%3").arg(jobOn(job), stateName(job.state), circumstances(job, printer))};
        case PrintJob::State::Held:
            return JobEnd{JobEnd::Kind::Waiting, QStringLiteral("%1 is held%2; it prints when it is released")
                                                     .arg(jobOn(job), circumstances(job, printer))};
        default: break;
    }
    if (!printer.stopped) return std::nullopt;
    return JobEnd{JobEnd::Kind::Waiting, QStringLiteral("%1 waits: the printer is stopped%2; it prints when the printer "
                                                        "is started again")
                                             .arg(jobOn(job), circumstances(job, printer))};
}

JobEnd StillOnItsWay(const PrintJob& job, const PrinterState& printer, int seconds) {
    return {JobEnd::Kind::Waiting, QStringLiteral("%1 is still %2 after %3 s%4; it stays in the queue")
                                       .arg(jobOn(job), stateName(job.state))
                                       .arg(seconds)
                                       .arg(circumstances(job, printer))};
}
