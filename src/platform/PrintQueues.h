#pragma once
#include <QList>
#include <QStringList>

// One print job as the printing system keeps it.
struct PrintJob {
    enum class State { Pending, Held, Processing, Stopped, Cancelled, Aborted, Completed };
    int id = 0;
    QString printer;  // the printer's name, as installedPrinters() gives it
    State state = State::Pending;
    QString reason;   // the printing system's last words on the job
    bool finished() const { return state >= State::Cancelled; }
};

// The printers and this user's jobs on them: what printing a document needs, in either program.
class PrintQueues {
public:
    virtual ~PrintQueues() = default;
    // Names of the installed printers, in the platform's order. Throws RuntimeError when unreachable.
    virtual QStringList installedPrinters() = 0;
    // The queue behind a printer name, as the office names printers. Throws RuntimeError when the
    // printer is not installed (any more).
    virtual QString queueOf(const QString& name) = 0;
    // Why the printer does not take or print jobs now (it rejects them, is stopped, or is gone), in the
    // printing system's words; the empty text when it takes and prints them.
    virtual QString refusal(const QString& name) = 0;
    // The id of this user's newest job, 0 when there is none: jobs sent later have higher ids.
    virtual int newestJobId() = 0;
    // This user's jobs with an id above `after`, oldest first.
    virtual QList<PrintJob> jobsAfter(int after) = 0;
    // One job of this user's. Throws RuntimeError when the printing system does not know it.
    virtual PrintJob job(int id) = 0;
    // Hands a PDF file to the queue as one job of this user's, titled `title`, in `copies` copies and on
    // `sides` ("one-sided", "two-sided-long-edge", "two-sided-short-edge"; the empty text: the printer's
    // own). Returns the job as the printing system took it, its printer left empty; a job that waits has
    // its printer's refusal() as its reason. Throws RuntimeError with the printing system's words when it
    // does not take the job.
    virtual PrintJob sendPdf(const QString& queue, const QString& file, const QString& title, int copies,
                             const QString& sides) = 0;
};
