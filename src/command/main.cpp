// quorvane-batch: prints Writer documents, or writes their PDFs, from the command line: a batch run,
// or a hot folder watched as a service.
#include <QCoreApplication>
#include <cstdio>

#include "batch/BatchRun.h"
#include "hotfolder/HotFolder.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorvane-batch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
    const ParsedCommandLine parsed = ParseCommandLine(QCoreApplication::arguments(), ReadPathList);
    if (!parsed.options) {
        std::FILE* out = parsed.exitStatus == 0 ? stdout : stderr;
        std::fprintf(out, parsed.exitStatus == 0 ? "%s" : "quorvane-batch: %s\nTry 'quorvane-batch --help'.\n",
                     qUtf8Printable(parsed.message));
        return parsed.exitStatus;
    }
    try {
        BatchPlatform platform;
        const BatchOptions& options = *parsed.options;
        if (!options.watchFolder.isEmpty())
            return RunHotFolder(platform, options, PrepareDestination(platform, options, options.printer));
        return RunBatch(platform, options);
    } catch (const UsageFault& fault) {
        std::fprintf(stderr, "quorvane-batch: %s\n", qUtf8Printable(fault.message));
        return 2;
    }
}
