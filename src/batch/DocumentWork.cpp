#include "DocumentWork.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>
#include <sys/stat.h>

#include "batch/FontCheck.h"
#include "engine/PathHelpers.h"
#include "engine/Writer.h"

namespace {
const QString PdfExportFilter = QStringLiteral("writer_pdf_Export");

// The permissions a new file gets from the user's umask; the temporary file was made for the user alone.
QFile::Permissions newFilePermissions() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    const mode_t mode = 0666 & ~mask;
    QFile::Permissions p;
    if (mode & S_IRUSR) p |= QFile::ReadOwner | QFile::ReadUser;
    if (mode & S_IWUSR) p |= QFile::WriteOwner | QFile::WriteUser;
    if (mode & S_IRGRP) p |= QFile::ReadGroup;
    if (mode & S_IWGRP) p |= QFile::WriteGroup;
    if (mode & S_IROTH) p |= QFile::ReadOther;
    if (mode & S_IWOTH) p |= QFile::WriteOther;
    return p;
}

bool isPdf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-";
}
}  // namespace

DocumentWork::DocumentWork(Platform platform, Destination destination, PrintOptions options, int renewAfter,
                           bool countPages)
    : platform_(platform),
      destination_(std::move(destination)),
      options_(std::move(options)),
      renewAfter_(renewAfter),
      countPages_(countPages),
      loader_(platform_) {
    platform_.office.exportOnly();  // printed documents go to the printer as the office's PDFs
}

// A document the office cannot load, or loads only as plain text while its name claims a document
// format, throws with the office's reason. The result gets the document's pages when they are counted,
// and what the document refers to outside itself, which a sandboxed office does not load.
std::shared_ptr<OfficeObject> DocumentWork::load(const QString& path, DocumentResult& result, DocumentInspection* inspection) {
    if (!IsExistingFile(platform_.files, path))
        throw RuntimeError(Err::fileNotFound().number, QStringLiteral("no such document (or not a regular file)"));
    const DocumentInspection found = InspectDocument(path);
    result.outside = found.outside;
    result.sandboxed = platform_.office.sandboxed();
    if (inspection) *inspection = found;
    // Asked afresh for every document: an office that has died or hung is then replaced. An office
    // that could not be started (a busy machine, a profile being made) is no fault of the document's:
    // it gets a second start.
    try {
        serviceManager_ = platform_.office.createServiceManager();
    } catch (const RuntimeError& e) {
        if (e.number != Err::cannotCreateObject().number) throw;
        serviceManager_ = platform_.office.createServiceManager();
    }
    const auto desktop = Use(serviceManager_).createInstance(QStringLiteral("com.sun.star.frame.Desktop"));
    auto document = loader_.load(Use(desktop), path);
    if (!countPages_) return document;
    try {
        result.pages = document->pageCount();
    } catch (const RuntimeError&) {
        // The page count is a courtesy of the report.
    }
    return document;
}

void DocumentWork::closeDocument(std::shared_ptr<OfficeObject>& document) {
    if (!document) return;
    try {
        document->close(true);
    } catch (const RuntimeError&) {
        // An office that has gone took the document with it; the next document gets a fresh one.
    }
    document.reset();
}

// An office is renewed after a number of documents, so that its memory cannot grow without bound.
void DocumentWork::countDocument() {
    if (renewAfter_ <= 0 || ++sinceRenewal_ < renewAfter_) return;
    sinceRenewal_ = 0;
    serviceManager_.reset();
    platform_.office.shutdown();
}

// What every document gets around its work: the time it took, its document closed, the office renewed
// when that is due.
DocumentResult DocumentWork::account(const QString& path, const Work& work) {
    DocumentResult result{path};
    QElapsedTimer timer;
    timer.start();
    std::shared_ptr<OfficeObject> document;
    work(result, document);
    closeDocument(document);
    result.seconds = timer.nsecsElapsed() / 1e9;
    countDocument();
    return result;
}

// The export filter's options for a PDF that goes to the printer: the pages asked for, and form fields
// drawn as they look, as the office prints them, not as fields to fill in.
QString DocumentWork::printFilterOptions() const {
    QJsonObject options{{QStringLiteral("ExportFormFields"),
                         QJsonObject{{QStringLiteral("type"), QStringLiteral("boolean")}, {QStringLiteral("value"), QStringLiteral("false")}}}};
    if (!options_.pages.isEmpty())
        options[QStringLiteral("PageRange")] =
            QJsonObject{{QStringLiteral("type"), QStringLiteral("string")}, {QStringLiteral("value"), options_.pages}};
    return QString::fromUtf8(QJsonDocument(options).toJson(QJsonDocument::Compact));
}

QString DocumentWork::exportPdf(const std::shared_ptr<OfficeObject>& document, const QString& folder, PendingFiles& pending,
                                const QString& filterOptions) {
    QString why;
    const QString temporary = pending.reserve(folder, &why);
    if (temporary.isEmpty())
        throw RuntimeError(Err::permissionDenied().number, QStringLiteral("cannot write in \"%1\": %2").arg(folder, why));
    try {
        QList<PropertyValue> properties{loader_.property(QStringLiteral("FilterName"), PdfExportFilter),
                                        loader_.property(QStringLiteral("Overwrite"), true)};
        if (!filterOptions.isEmpty()) properties << loader_.property(QStringLiteral("FilterOptions"), filterOptions);
        Use(document).storeToURL(FileUrl(temporary), properties);
        if (!isPdf(temporary)) throw RuntimeError(Err::permissionDenied().number, QStringLiteral("the office wrote no PDF"));
    } catch (const RuntimeError&) {
        pending.discard(temporary);
        throw;
    }
    return temporary;
}

// The office renders the document as a PDF in the run's spool folder, side by side with the other
// offices; only handing that file to the printer takes the turn, so the jobs reach the printer in list
// order. The printing system gives the job's id in its answer.
DocumentResult DocumentWork::print(const QString& path, const Turn& printTurn, PendingFiles& pending,
                                   const std::function<void(const SentJob&)>& sent) {
    return account(path, [&](DocumentResult& result, std::shared_ptr<OfficeObject>& document) {
        const QString name = GetFileName(path);
        QString failure, pdf;
        try {
            document = load(path, result);
            QString why;
            const QString spool = pending.spool(&why);
            if (spool.isEmpty())
                throw RuntimeError(Err::permissionDenied().number, QStringLiteral("no folder for the print job: %1").arg(why));
            pdf = exportPdf(document, spool, pending, printFilterOptions());
        } catch (const RuntimeError& e) {
            failure = e.description;
        }
        std::optional<SentJob> job;
        printTurn([&] {
            if (pdf.isEmpty()) return;
            try {
                job = SendJob(platform_, name, destination_.printer, destination_.queue, pdf, options_.job);
                if (sent) sent(*job);
            } catch (const RuntimeError& e) {
                failure = e.description;
            }
        });
        if (!pdf.isEmpty()) pending.discard(pdf);  // the printing system holds its own copy
        if (job) {
            result.printer = job->printer;
            result.job = job->id;
        }
        result.outcome = failure.isEmpty() ? DocumentResult::Outcome::Queued : DocumentResult::Outcome::Failed;
        result.reason = failure;
    });
}

DocumentResult DocumentWork::writePdf(const QString& path, const QString& pdfPath, PendingFiles& pending) {
    return account(path, [&](DocumentResult& result, std::shared_ptr<OfficeObject>& document) {
        try {
            document = load(path, result);
            const QString temporary = exportPdf(document, QFileInfo(pdfPath).absolutePath(), pending, {});
            QFile::setPermissions(temporary, newFilePermissions());
            const QString why = pending.publish(temporary, pdfPath);
            if (!why.isEmpty())
                throw RuntimeError(Err::permissionDenied().number,
                                   QStringLiteral("cannot name the PDF \"%1\": %2").arg(pdfPath, why));
            result.outcome = DocumentResult::Outcome::Written;
            result.pdf = pdfPath;
        } catch (const RuntimeError& e) {
            result.outcome = DocumentResult::Outcome::Failed;
            result.reason = e.description;
        }
    });
}

DocumentResult DocumentWork::check(const QString& path) {
    return account(path, [&](DocumentResult& result, std::shared_ptr<OfficeObject>& document) {
        DocumentInspection inspection;
        try {
            document = load(path, result, &inspection);
            result.outcome = DocumentResult::Outcome::Checked;
        } catch (const RuntimeError& e) {
            result.outcome = DocumentResult::Outcome::Failed;
            result.reason = inspection.passwordProtected ? QStringLiteral("password-protected: ") + e.description : e.description;
        }
        result.passwordProtected = inspection.passwordProtected;
        result.missingFonts = MissingFonts(inspection.fonts);
    });
}

void DocumentWork::shutdown() {
    serviceManager_.reset();
    platform_.office.shutdown();
}
