#include "BatchRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "batch/Interrupt.h"
#include "batch/Retry.h"
#include "batch/RunState.h"
#include "engine/JobOptions.h"
#include "engine/FolderDocuments.h"
#include "engine/PathHelpers.h"
#include "platform/linux/OfficeSandbox.h"
#include "engine/PdfNames.h"

namespace {
// One office: a thread of its own that creates the office, works on documents until none are left,
// and ends it. The office's process is bound to the thread that started it.
void work(BatchPlatform& shared, RunState& state, const BatchOptions& options, const Destination& destination,
          const QStringList& documents, const QStringList& pdfPaths) {
    const std::unique_ptr<Office> office = shared.newOffice();
    if (options.unsandboxed) office->runUnsandboxed();
    const std::unique_ptr<FileSystem> files = shared.newFileSystem();
    const bool countPages = options.check || !options.jsonFile.isEmpty();  // only a check and the report show them
    DocumentWork worker(shared.with(*office, *files), destination, {options.pages, options.jobOptions},
                        options.renewAfter, countPages);
    for (int position = state.take(); position >= 0; position = state.take()) {
        const QString& path = documents[position];
        const DocumentResult result =
            options.check    ? worker.check(path)
            : destination.pdf ? worker.writePdf(path, pdfPaths[position], state.pdfs())
                              : worker.print(path, [&](const std::function<void()>& print) { state.inTurn(position, print); },
                                             state.pdfs());
        state.done(position, result);
    }
    worker.shutdown();
}

int officeCount(const BatchOptions& options, qsizetype documents) {
    const int wanted = options.jobs > 0 ? options.jobs : std::max(1, QThread::idealThreadCount());
    return int(std::clamp<qsizetype>(documents, 1, wanted));
}

// Documents nobody here wrote go to a sandboxed office only, unless the user asks for the unsafe way.
void checkSandbox(const BatchOptions& options) {
    if (options.unsandboxed) {
        std::fprintf(stderr, "quorvane-batch: UNSAFE: --unsandboxed: the office may reach the network and read every file "
                             "you can; documents can copy them into what is printed.\n");
        return;
    }
    if (const QString problem = SandboxProblem(); !problem.isEmpty())
        throw UsageFault{QStringLiteral("the office cannot be sandboxed here (%1), so no document was printed. "
                                        "--unsandboxed prints without the sandbox, which is UNSAFE for documents you did not write.")
                             .arg(problem)};
}
}  // namespace

QStringList CollectDocuments(Platform& platform, const QStringList& paths, const QString& extension) {
    QStringList documents;
    for (const QString& given : paths) {
        const QString path = QDir::cleanPath(QFileInfo(given).absoluteFilePath());
        if (IsFolder(platform.files, path))
            documents += FolderDocuments(platform, path == QStringLiteral("/") ? QString() : path, extension);
        else
            documents << path;
    }
    return documents;
}

Destination ResolvePrinter(Printers& printers, const QString& name) {
    if (IsPrinterAddress(name)) return {name, name};
    QString wanted = name;
    if (wanted.isEmpty()) {
        wanted = printers.defaultPrinter();
        if (wanted.isEmpty()) throw UsageFault{QStringLiteral("No --printer given, and you have no default printer.")};
    }
    const QStringList installed = printers.installedPrinters();
    for (const QString& printer : installed)
        if (printer == wanted) return {printer, printers.queueOf(printer)};
    for (const QString& printer : installed)
        if (printers.queueOf(printer) == wanted) return {printer, wanted};
    throw UsageFault{QStringLiteral("--printer: there is no printer \"%1\"; the printers are: %2.")
                         .arg(wanted, installed.isEmpty() ? QStringLiteral("none") : installed.join(QStringLiteral(", ")))};
}

QStringList PlanPdfPaths(const QStringList& documents, const QString& folder, const QDateTime& now) {
    QSet<QString> keep(documents.begin(), documents.end());
    QStringList paths;
    for (qsizetype i = 0; i < documents.size(); ++i) {
        QString name = TrimSpaces(CleanPdfName(GetFileName(RemoveExtension(documents[i]))));
        if (name.isEmpty())
            name = PrintOutName(now, int(i + 1));
        const QString path = PdfPath(folder, name, keep);
        keep.insert(path);
        paths << path;
    }
    return paths;
}

namespace {
// The printer's own options, each checked before anything is printed.
void checkJobOptions(Printers& printers, const Destination& destination, const JobOptions& options) {
    const OptionsVerdict verdict = CheckJobOptions(printers, destination.printer, destination.queue, options);
    for (const QString& warning : verdict.warnings) std::fprintf(stderr, "quorvane-batch: warning: %s\n", qUtf8Printable(warning));
    if (!verdict.refused.isEmpty()) throw UsageFault{verdict.refused.join(QLatin1Char('\n')) + QStringLiteral("\nNothing was printed.")};
}

RetryPlan readRetry(Printers& printers, const QString& reportFile) {
    QFile report(reportFile);
    if (!report.open(QIODevice::ReadOnly)) throw UsageFault{QStringLiteral("--retry: cannot read the report \"%1\".").arg(reportFile)};
    try {
        RetryPlan plan = PlanRetry(report.readAll(), printers);
        if (plan.documents.isEmpty()) throw UsageFault{QStringLiteral("--retry: the report \"%1\" lists no failed document.").arg(reportFile)};
        return plan;
    } catch (const RuntimeError& e) {
        throw UsageFault{QStringLiteral("--retry: \"%1\": %2.").arg(reportFile, e.description)};
    }
}
}  // namespace

Destination PrepareDestination(BatchPlatform& shared, const BatchOptions& options, const QString& printer) {
    // Before anything asks the printing system; every thread's connection reads it.
    if (!options.server.isEmpty()) qputenv("CUPS_SERVER", options.server.toUtf8());
    checkSandbox(options);
    Destination destination;
    if (!options.pdfFolder.isEmpty()) {
        destination.pdf = true;
        const QString folder = QDir::cleanPath(QFileInfo(options.pdfFolder).absoluteFilePath());
        if (!QDir().mkpath(folder)) throw UsageFault{QStringLiteral("--pdf: cannot create the folder \"%1\".").arg(folder)};
        return destination;
    }
    if (options.check) return destination;
    Printers& printers = shared.withoutOffice().printers;
    try {
        destination = ResolvePrinter(printers, printer);
        checkJobOptions(printers, destination, options.jobOptions);
    } catch (const RuntimeError& e) {
        throw UsageFault{e.description};
    }
    return destination;
}

int RunBatch(BatchPlatform& shared, const BatchOptions& options) {
    Platform platform = shared.withoutOffice();
    std::optional<RetryPlan> retry;
    if (!options.retryReport.isEmpty()) retry = readRetry(platform.printers, options.retryReport);
    const Destination destination =
        PrepareDestination(shared, options, options.printer.isEmpty() && retry ? retry->printer : options.printer);
    const QString pdfFolder = QDir::cleanPath(QFileInfo(options.pdfFolder).absoluteFilePath());
    const QStringList documents = retry ? retry->documents : CollectDocuments(platform, options.paths, options.extension);
    if (documents.isEmpty()) throw UsageFault{QStringLiteral("No documents found in the paths given.")};
    const QStringList pdfPaths = destination.pdf ? PlanPdfPaths(documents, pdfFolder, platform.runtime.now()) : QStringList();

    // Shared with the interrupt's thread, which may outlive the run.
    const auto runState = std::make_shared<RunState>(documents, pdfPaths, options.jsonFile,
                                                        ::isatty(options.jsonFile == QStringLiteral("-") ? 2 : 1), destination.printer);
    RunState& state = *runState;
    const bool printing = !destination.pdf && !options.check;
    if (printing && options.follow) state.followJobs(platform.printers, options.waitSeconds);
    for (qsizetype i = 0; retry && i < retry->settled.size(); ++i)
        if (retry->settled[i]) state.settleBeforehand(int(i), *retry->settled[i]);
    OnInterrupt([runState](int signal) { runState->abandon(QStringLiteral("interrupted"), 128 + signal); });
    QList<QThread*> offices;
    const qsizetype toWorkOn = retry ? std::count(retry->settled.begin(), retry->settled.end(), std::nullopt) : documents.size();
    for (int i = 0; toWorkOn > 0 && i < officeCount(options, toWorkOn); ++i) {
        offices << QThread::create([&] { work(shared, state, options, destination, documents, pdfPaths); });
        offices.last()->start();
    }
    for (QThread* office : offices) {
        office->wait();
        delete office;
    }
    return state.finish();
}
