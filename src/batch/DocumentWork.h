#pragma once
#include <QString>
#include <functional>
#include <memory>

#include "batch/PendingFiles.h"
#include "batch/Report.h"
#include "platform/Platform.h"
#include "printing/ConfirmJob.h"

// Where the run's documents go: a printer (its name as the printing system shows it, and its queue),
// or PDF files.
struct Destination {
    QString printer;
    QString queue;
    bool pdf = false;
};

// The office's print options for each document; empty or 1: the printer's own.
struct PrintOptions {
    int copies = 1;
    QString pages;
    QString sides;
};

// One office's work on the documents given to it, one after the other. A document that does not
// load, a hung or crashed office, a printer that refuses the job: that document fails, and the next
// one gets a fresh office when this one is gone.
class DocumentWork {
public:
    // countPages: each result gets its document's pages (the office lays the document out for that).
    DocumentWork(Platform platform, Destination destination, PrintOptions options, int renewAfter, bool countPages);

    // Prints one document on the destination; `printTurn` runs the print command and the office's
    // hand-over of the job in turn with the other offices (the jobs reach the printer in list order) and
    // must be called exactly once, also when the document did not load (then with nothing to print).
    // Everything else of the document (loading, finding its job, closing) is outside the turn.
    using Turn = std::function<void(const std::function<void()>& print)>;
    DocumentResult print(const QString& path, const Turn& printTurn);
    // Writes the document's PDF to pdfPath: exported to a temporary file beside it, then renamed.
    DocumentResult writePdf(const QString& path, const QString& pdfPath, PendingFiles& pending);
    // Ends this worker's office.
    void shutdown();

private:
    PropertyValue property(const QString& name, const QVariant& value);
    std::shared_ptr<OfficeObject> load(const QString& path, DocumentResult& result);
    using Work = std::function<void(DocumentResult& result, std::shared_ptr<OfficeObject>& document)>;
    DocumentResult account(const QString& path, const Work& work);
    // The office's print options for the run's --copies, --pages and --sides; none by default.
    QList<PropertyValue> printOptions();
    void closeDocument(std::shared_ptr<OfficeObject>& document);
    void countDocument();

    Platform platform_;
    Destination destination_;
    PrintOptions options_;
    int renewAfter_;
    bool countPages_;
    int sinceRenewal_ = 0;
    std::shared_ptr<OfficeObject> serviceManager_;
    QString structType_;
};
