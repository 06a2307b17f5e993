#pragma once
#include <QString>
#include <functional>
#include <memory>

#include "batch/PendingFiles.h"
#include "batch/Report.h"
#include "platform/Platform.h"
#include "engine/ConfirmJob.h"
#include "engine/DocumentLoader.h"

// Where the run's documents go: a printer (its name as the printing system shows it, and its queue),
// or PDF files.
struct Destination {
    QString printer;
    QString queue;
    bool pdf = false;
};

// The print options for each document: the pages the office renders (empty: all), and the job
// attributes the printer gets.
struct PrintOptions {
    QString pages;
    JobOptions job;
};

// One office's work on the documents given to it, one after the other. A document that does not
// load, a hung or crashed office, a printer that refuses the job: that document fails, and the next
// one gets a fresh office when this one is gone.
class DocumentWork {
public:
    // countPages: each result gets its document's pages (the office lays the document out for that).
    DocumentWork(Platform platform, Destination destination, PrintOptions options, int renewAfter, bool countPages);

    // Prints one document on the destination: its result is queued, with its job, once the printing
    // system holds the job; `printTurn` runs the hand-over of its job to the printer
    // in turn with the other offices (the jobs reach the printer in list order) and must be called
    // exactly once, also when the document did not load (then with nothing to print). Everything else
    // of the document (loading, rendering, closing) is outside the turn. The rendered job passes through
    // the run's spool folder in `pending`.
    // `sent` hears of the job in the turn, as soon as the printing system has taken it.
    using Turn = std::function<void(const std::function<void()>& print)>;
    DocumentResult print(const QString& path, const Turn& printTurn, PendingFiles& pending,
                         const std::function<void(const SentJob&)>& sent = {});
    // Writes the document's PDF to pdfPath: exported to a temporary file beside it, then renamed.
    DocumentResult writePdf(const QString& path, const QString& pdfPath, PendingFiles& pending);
    // Loads the document as for printing and describes it; prints nothing.
    DocumentResult check(const QString& path);
    // Ends this worker's office.
    void shutdown();

private:
    // `inspection`, when given, gets what the document itself says of its content.
    std::shared_ptr<OfficeObject> load(const QString& path, DocumentResult& result, DocumentInspection* inspection = nullptr);
    using Work = std::function<void(DocumentResult& result, std::shared_ptr<OfficeObject>& document)>;
    DocumentResult account(const QString& path, const Work& work);
    // Exports the document as a PDF to a new hidden file in folder and returns its path. Throws
    // RuntimeError, leaving no file, when there is no whole PDF.
    QString exportPdf(const std::shared_ptr<OfficeObject>& document, const QString& folder, PendingFiles& pending, const QString& filterOptions);
    QString printFilterOptions() const;
    void closeDocument(std::shared_ptr<OfficeObject>& document);
    void countDocument();

    Platform platform_;
    Destination destination_;
    PrintOptions options_;
    int renewAfter_;
    bool countPages_;
    int sinceRenewal_ = 0;
    std::shared_ptr<OfficeObject> serviceManager_;
    DocumentLoader loader_;
};
