#pragma once
// The printing system keeps the real record of every job: a document counts as printed when its job is
// there, on the printer it was sent to, and not before. Shared by every program that prints.
#include <QString>
#include <optional>

#include "platform/Platform.h"

// A document's job as the printing system took it.
struct SentJob {
    int id = 0;
    QString printer;
    PrintJob::State state = PrintJob::State::Pending;  // when it was found
};

// The queue the office is to print the document on: the printer's queue, or the empty text for no
// printer (the office's own default). Throws RuntimeError naming the document, the printer and the
// printing system's reason when the printer is not installed (any more).
QString QueueToPrintOn(Platform& platform, const QString& documentName, const QString& printer);

// Waits, keeping the window alive, until the office has handed the document's last print command to
// the printing system, and finds its job among the user's jobs newer than `newestBefore` on `printer`
// (the empty text: on any printer). Throws RuntimeError naming the document, the printer and the
// printing system's reason when the job was not taken, and the office's when the office failed.
SentJob ConfirmJob(Platform& platform, OfficeObject& document, const QString& documentName, const QString& printer,
                   int newestBefore);

// Hands a document the office has rendered as a PDF to the printer's queue, and returns its job as the
// printing system took it. Throws RuntimeError naming the document, the printer and the printing
// system's reason when the job was not taken.
SentJob SendJob(Platform& platform, const QString& documentName, const QString& printer, const QString& queue,
                const QString& pdf, const JobOptions& options);

// Throws RuntimeError when the job waits on a printer that does not print now (stopped): the job stays
// in its queue and prints when the printer is started again. A job found printing or done waits for
// nothing, and its printer is not asked.
void ReportWaitingJob(Platform& platform, const SentJob& job, const QString& documentName);

// Waits until the printing system has finished the job and returns how it ended; returns at once,
// unfinished, while the job's printer does not print (stopped) or the job is held. Throws RuntimeError
// when the job has not finished within five minutes (it stays in its queue).
PrintJob WaitUntilFinished(Platform& platform, const SentJob& job);
