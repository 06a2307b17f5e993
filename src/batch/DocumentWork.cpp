#include "DocumentWork.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <optional>
#include <sys/stat.h>

#include "doclist/PathHelpers.h"
#include "printing/PrintRun.h"
#include "printing/Writer.h"

namespace {
const QString PdfExportFilter = QStringLiteral("writer_pdf_Export");

// The office's duplex modes (com.sun.star.view.DuplexMode, 16-bit): off, long edge, short edge.
const QMap<QString, short> DuplexModes{{QStringLiteral("one-sided"), 1},
                                       {QStringLiteral("two-sided-long-edge"), 2},
                                       {QStringLiteral("two-sided-short-edge"), 3}};

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
      countPages_(countPages) {
    platform_.office.setTargetQueue(destination_.queue);
}

// The bridge builds the office's struct for a name and a value; one is asked for once, the others
// are its copies, which saves the office a round trip for every property of every document.
PropertyValue DocumentWork::property(const QString& name, const QVariant& value) {
    if (structType_.isEmpty()) return {structType_ = NewPropertyValue(platform_, name, value).typeName, name, value};
    return {structType_, name, value};
}

// A document the office cannot load, or loads only as plain text while its name claims a document
// format, throws with the office's reason. The result gets the document's pages when they are counted.
std::shared_ptr<OfficeObject> DocumentWork::load(const QString& path, DocumentResult& result) {
    if (!IsExistingFile(platform_.files, path))
        throw RuntimeError(Err::fileNotFound().number, QStringLiteral("no such document (or not a regular file)"));
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
    const QList<PropertyValue> hidden{property(QStringLiteral("Hidden"), true)};
    auto document = Use(desktop).loadComponentFromURL(FileUrl(path), QStringLiteral("_blank"), 0, hidden);
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

QList<PropertyValue> DocumentWork::printOptions() {
    QList<PropertyValue> options;
    if (options_.copies > 1) {
        options << property(QStringLiteral("CopyCount"), options_.copies)
                << property(QStringLiteral("Collate"), true);
    }
    if (!options_.pages.isEmpty()) options << property(QStringLiteral("Pages"), options_.pages);
    if (!options_.sides.isEmpty())
        options << property(QStringLiteral("DuplexMode"), QVariant::fromValue(DuplexModes.value(options_.sides)));
    return options;
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

// Only the print command and the office's hand-over of its job take the turn: once handed over, the
// job is in the printing system, and the next document's job comes after it.
DocumentResult DocumentWork::print(const QString& path, const Turn& printTurn) {
    return account(path, [&](DocumentResult& result, std::shared_ptr<OfficeObject>& document) {
        const QString name = GetFileName(path);
        QString failure;
        try {
            document = load(path, result);
        } catch (const RuntimeError& e) {
            failure = e.description;
        }
        int newestBefore = 0;
        std::optional<PrintJobState> handOver;
        printTurn([&] {
            if (!document) return;
            try {
                newestBefore = platform_.printers.newestJobId();
                document->print(printOptions());
                handOver = AwaitHandOver(platform_, *document);
            } catch (const RuntimeError& e) {
                failure = e.description;
            }
        });
        if (handOver) {
            try {
                const SentJob job = FindJob(platform_, *handOver, name, destination_.printer, newestBefore);
                result.printer = job.printer;
                result.job = job.id;
                ReportWaitingJob(platform_, job, name);
            } catch (const RuntimeError& e) {
                failure = e.description;
            }
        }
        result.outcome = failure.isEmpty() ? DocumentResult::Outcome::Printed : DocumentResult::Outcome::Failed;
        result.reason = failure;
    });
}

DocumentResult DocumentWork::writePdf(const QString& path, const QString& pdfPath, PendingFiles& pending) {
    return account(path, [&](DocumentResult& result, std::shared_ptr<OfficeObject>& document) {
        QString temporary;
        try {
            document = load(path, result);
            const QString folder = QFileInfo(pdfPath).absolutePath();
            QString why;
            temporary = pending.reserve(folder, &why);
            if (temporary.isEmpty())
                throw RuntimeError(Err::permissionDenied().number, QStringLiteral("cannot write in \"%1\": %2").arg(folder, why));
            const QList<PropertyValue> properties{property(QStringLiteral("FilterName"), PdfExportFilter),
                                                  property(QStringLiteral("Overwrite"), true)};
            Use(document).storeToURL(FileUrl(temporary), properties);
            if (!isPdf(temporary)) throw RuntimeError(Err::permissionDenied().number, QStringLiteral("the office wrote no PDF"));
            QFile::setPermissions(temporary, newFilePermissions());
            why = pending.publish(temporary, pdfPath);
            if (!why.isEmpty())
                throw RuntimeError(Err::permissionDenied().number,
                                   QStringLiteral("cannot name the PDF \"%1\": %2").arg(pdfPath, why));
            temporary.clear();
            result.outcome = DocumentResult::Outcome::Written;
            result.pdf = pdfPath;
        } catch (const RuntimeError& e) {
            result.outcome = DocumentResult::Outcome::Failed;
            result.reason = e.description;
        }
        if (!temporary.isEmpty()) pending.discard(temporary);
    });
}

void DocumentWork::shutdown() {
    serviceManager_.reset();
    platform_.office.shutdown();
}
