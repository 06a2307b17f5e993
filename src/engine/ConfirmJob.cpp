#include "ConfirmJob.h"

namespace {
constexpr int PollMs = 20;
// The office has handed the job over when it says so; the scheduler lists it by then, but is given a
// moment, as a busy scheduler may answer late.
constexpr int ListedWithinMs = 10000;
constexpr int PrinterError = 482;
// A job that neither ends nor waits on a stopped printer (a backend that hangs) keeps no run waiting
// for ever.
constexpr int FinishedWithinSeconds = 300;

RuntimeError notPrinted(const QString& documentName, const QString& printer, const QString& reason) {
    return {PrinterError, QStringLiteral("\"%1\" was not printed on \"%2\": %3.").arg(documentName, printer, reason)};
}

// The office's hand-over (the job exists in the printing system once it has been handed over), then its
// job, the first one newer than `newestBefore` on `printer`.
PrintJobState AwaitHandOver(Platform& platform, OfficeObject& document) {
    PrintJobState state;
    // The office's word ends the wait at once; the window's events are handled in between.
    while ((state = document.printJobState(PollMs)) == PrintJobState::Rendering) platform.runtime.pumpMessages();
    return state;
}

SentJob FindJob(Platform& platform, PrintJobState handOver, const QString& documentName, const QString& printer,
                int newestBefore) {
    if (handOver == PrintJobState::Spooled) {
        for (int waited = 0; waited <= ListedWithinMs; waited += PollMs) {
            for (const PrintJob& job : platform.printers.jobsAfter(newestBefore))
                if (printer.isEmpty() || job.printer == printer) return {job.id, job.printer, job.state};
            platform.runtime.waitWithEvents(PollMs);
        }
    }
    const QString refusal = printer.isEmpty() ? QString() : platform.printers.refusal(printer);
    throw notPrinted(documentName, printer,
                     !refusal.isEmpty()                      ? refusal
                     : handOver == PrintJobState::Spooled ? QStringLiteral("the printing system has no job of it")
                                                             : QStringLiteral("the office could not hand the job over"));
}
}  // namespace

QString QueueToPrintOn(Platform& platform, const QString& documentName, const QString& printer) {
    if (printer.isEmpty()) return {};
    try {
        return platform.printers.queueOf(printer);
    } catch (const RuntimeError&) {
        throw notPrinted(documentName, printer, platform.printers.refusal(printer));
    }
}

SentJob ConfirmJob(Platform& platform, OfficeObject& document, const QString& documentName, const QString& printer,
                   int newestBefore) {
    return FindJob(platform, AwaitHandOver(platform, document), documentName, printer, newestBefore);
}

SentJob SendJob(Platform& platform, const QString& documentName, const QString& printer, const QString& queue,
                const QString& pdf, const JobOptions& options) {
    try {
        const PrintJob job = platform.printers.sendPdf(queue, pdf, documentName, options);
        return {job.id, printer, job.state};
    } catch (const RuntimeError& e) {
        // The printer's own words say more than the scheduler's answer to the request.
        const QString refusal = platform.printers.refusal(printer);
        throw notPrinted(documentName, printer, refusal.isEmpty() ? e.description : refusal);
    }
}

void ReportWaitingJob(Platform& platform, const SentJob& job, const QString& documentName) {
    if (job.state == PrintJob::State::Processing || job.state == PrintJob::State::Completed) return;
    const QString refusal = platform.printers.refusal(job.printer);
    if (refusal.isEmpty()) return;
    throw RuntimeError(PrinterError, QStringLiteral("\"%1\" waits as job %2 on \"%3\": %4. It prints when the printer "
                                                    "is started again.")
                                         .arg(documentName)
                                         .arg(job.id)
                                         .arg(job.printer, refusal));
}

PrintJob WaitUntilFinished(Platform& platform, const SentJob& sent) {
    const QDateTime giveUp = platform.runtime.now().addSecs(FinishedWithinSeconds);
    for (;;) {
        const PrintJob job = platform.printers.job(sent.id, sent.printer);
        if (job.finished() || job.state == PrintJob::State::Held || !platform.printers.refusal(sent.printer).isEmpty())
            return job;
        if (platform.runtime.now() >= giveUp)
            throw RuntimeError(PrinterError, QStringLiteral("Job %1 on \"%2\" did not finish within %3 seconds; it stays in "
                                                            "the queue.")
                                                 .arg(sent.id)
                                                 .arg(sent.printer)
                                                 .arg(FinishedWithinSeconds));
        platform.runtime.waitWithEvents(PollMs * 5);
    }
}
