// quorvane-batch: prints Writer documents, or writes their PDFs, from the command line.
#include <QCoreApplication>
#include <cstdio>

#include "batch/BatchRun.h"

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
        return RunBatch(platform, *parsed.options);
    } catch (const UsageFault& fault) {
        std::fprintf(stderr, "quorvane-batch: %s\n", qUtf8Printable(fault.message));
        return 2;
    }
}
