#include "BatchRun.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "batch/Interrupt.h"
#include "batch/RunState.h"
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
    DocumentWork worker(shared.with(*office, *files), destination, {options.copies, options.pages, options.sides},
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

int RunBatch(BatchPlatform& shared, const BatchOptions& options) {
    checkSandbox(options);
    Destination destination;
    QString pdfFolder;
    if (!options.pdfFolder.isEmpty()) {
        destination.pdf = true;
        pdfFolder = QDir::cleanPath(QFileInfo(options.pdfFolder).absoluteFilePath());
        if (!QDir().mkpath(pdfFolder)) throw UsageFault{QStringLiteral("--pdf: cannot create the folder \"%1\".").arg(pdfFolder)};
    }
    Platform platform = shared.withoutOffice();
    if (!destination.pdf && !options.check) {
        try {
            destination = ResolvePrinter(platform.printers, options.printer);
        } catch (const RuntimeError& e) {
            throw UsageFault{e.description};
        }
    }
    const QStringList documents = CollectDocuments(platform, options.paths, options.extension);
    if (documents.isEmpty()) throw UsageFault{QStringLiteral("No documents found in the paths given.")};
    const QStringList pdfPaths = destination.pdf ? PlanPdfPaths(documents, pdfFolder, platform.runtime.now()) : QStringList();

    // Shared with the interrupt's thread, which may outlive the run.
    const auto runState = std::make_shared<RunState>(documents, pdfPaths, options.jsonFile,
                                                        ::isatty(options.jsonFile == QStringLiteral("-") ? 2 : 1));
    RunState& state = *runState;
    OnInterrupt([runState](int signal) { runState->abandon(QStringLiteral("interrupted"), 128 + signal); });
    QList<QThread*> offices;
    for (int i = 0; i < officeCount(options, documents.size()); ++i) {
        offices << QThread::create([&] { work(shared, state, options, destination, documents, pdfPaths); });
        offices.last()->start();
    }
    for (QThread* office : offices) {
        office->wait();
        delete office;
    }
    return state.finish();
}
