#pragma once
#include <QList>
#include <QStringList>
#include <utility>

// One print job as the printing system keeps it.
struct PrintJob {
    enum class State { Pending, Held, Processing, Stopped, Cancelled, Aborted, Completed };
    int id = 0;
    QString printer;  // the printer's name, as installedPrinters() gives it
    State state = State::Pending;
    QString reason;   // the printing system's last words on the job
    QString stateReasons;  // why it is in its state (job-state-reasons), comma separated; empty: none
    QString title;         // job-name, as it was sent
    bool finished() const { return state >= State::Cancelled; }
};

// A printer as the printing system reports it.
struct PrinterState {
    bool known = true;      // false: not installed (any more), or the printing system does not answer
    bool accepting = true;  // takes new jobs
    bool stopped = false;   // prints none of the jobs it holds
    QString reasons;        // printer-state-reasons (media-empty, offline...), comma separated; empty: none
    QString message;        // printer-state-message
};

// A job attribute as `lp -o` takes it: name and value.
using JobOption = std::pair<QString, QString>;
using JobOptions = QList<JobOption>;

// What a printer says of an option's value.
struct OptionSupport {
    enum class Verdict { Supported, Unsupported, Unlisted } verdict = Verdict::Unlisted;
    QString supported;  // the values it lists, as the printing system writes them
};

// A printer reached by its own address rather than by a queue of the printing system: an IPP printer
// (or another scheduler's queue) that is its own queue. Its name and its queue are the address.
inline bool IsPrinterAddress(const QString& printer) {
    return printer.startsWith(QStringLiteral("ipp://")) || printer.startsWith(QStringLiteral("ipps://"));
}

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
    // One job of this user's on `printer` (a name, a queue or an address; only an address is asked
    // elsewhere). Throws RuntimeError when the printing system does not know it.
    virtual PrintJob job(int id, const QString& printer) = 0;
    // The printer's state; not known when it is not installed or cannot be asked.
    virtual PrinterState printerState(const QString& printer) = 0;
    // Whether the printer supports the value of a job attribute (`option`), by what it lists.
    virtual OptionSupport supportOf(const QString& queue, const QString& option, const QString& value) = 0;
    // Hands a PDF file to the queue as one job of this user's, titled `title`, with the job attributes
    // given over the user's own options for the queue. Returns the job as the printing system took it,
    // its printer left empty. Throws RuntimeError with the printing system's words when it does not
    // take the job.
    virtual PrintJob sendPdf(const QString& queue, const QString& file, const QString& title, const JobOptions& options) = 0;
};
