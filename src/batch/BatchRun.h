#pragma once
#include <QList>
#include <QStringList>

#include "batch/BatchOptions.h"
#include "batch/BatchPlatform.h"
#include "batch/DocumentWork.h"
#include "batch/Report.h"

// A fault of the command's use found before any document is printed (exit status 2).
struct UsageFault {
    QString message;
};

// The run's documents in order: each path as given, a folder replaced by the files of its tree with
// the extension, as the window's add-folder action adds them. Paths are made absolute. A path that
// is neither file nor folder stays, to be reported as failed.
QStringList CollectDocuments(Platform& platform, const QStringList& paths, const QString& extension);

// The printer a name means: a printer's name, or its queue's (a queue or a class); the empty text
// means the user's default printer. Throws UsageFault when there is no such printer.
Destination ResolvePrinter(Printers& printers, const QString& name);

// The PDF of each document, in list order: named after the document as the window's PDF output names
// it, and never the name of another document's PDF of this run or of a listed document.
QStringList PlanPdfPaths(const QStringList& documents, const QString& folder, const QDateTime& now);

// Where the documents go, checked before any is printed: PDFs (their folder made), nowhere (a check),
// or `printer` with the run's options supported; the office's sandbox and the printing system to use
// settled. Throws UsageFault.
Destination PrepareDestination(BatchPlatform& platform, const BatchOptions& options, const QString& printer);

// Runs the command: returns its exit status. Throws UsageFault.
int RunBatch(BatchPlatform& platform, const BatchOptions& options);
