#include "BatchOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>

#include "engine/JobOptions.h"

namespace {
const QStringList Sides{QStringLiteral("one-sided"), QStringLiteral("two-sided-long-edge"),
                        QStringLiteral("two-sided-short-edge")};
constexpr int MaxCopies = 999;
constexpr int MaxJobs = 64;  // as many office profiles as a user can have at once
constexpr int MaxRenewAfter = 1000000;
constexpr int MaxWaitSeconds = 7 * 24 * 3600;

ParsedCommandLine fault(const QString& message) { return {std::nullopt, message, 2}; }

// A whole number from `low` to `high`, or nothing.
std::optional<int> wholeNumber(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high) return std::nullopt;
    return value;
}

// Pages as the office's PDF export takes them: "3", "1-4", "1-4,7,9-10"; pages count from 1.
bool isPageRange(const QString& text) {
    static const QRegularExpression range(QStringLiteral("^[1-9][0-9]*(-[1-9][0-9]*)?(,[1-9][0-9]*(-[1-9][0-9]*)?)*$"));
    return range.match(text).hasMatch();
}

QString usage(const QCommandLineParser& parser) {
    return parser.helpText() +
           QStringLiteral("\nA folder contributes the files of its whole tree with the extension, as the window's\n"
                          "\"Add All Writer Files In Folder\" adds them. The paths of the command line come first,\n"
                          "then those of each --from list.\n"
                          "\n"
                          "Each job is followed until the printing system says it is completed (printed), aborted or\n"
                          "canceled (failed); a job that is held, or waits on a stopped printer, or has not ended\n"
                          "within --wait, is waiting: it is not canceled and prints later. With --no-wait a document\n"
                          "is done once its job is queued. Every -o is checked against the values the printer\n"
                          "supports before anything is printed.\n"
                          "\n"
                          "Exit status: 0 when every document was printed or written (or, with --check, loaded;\n"
                          "with --no-wait, queued), 1 when some failed, 3 when none failed but some wait, 2 for a\n"
                          "fault of usage (an unsupported -o among them) or when the office cannot be sandboxed\n"
                          "here, 130 when interrupted.\n"
                          "\n"
                          "The office works on each document in a sandbox: it reaches no network and reads no file\n"
                          "but the document. What a document refers to outside itself (a linked picture or section,\n"
                          "an object, an XForms source, a macro) is not loaded; the document prints with what it\n"
                          "holds, and the report lists what was refused.\n");
}
}  // namespace

std::optional<QStringList> ReadPathList(const QString& file) {
    QFile in;
    const bool opened = file == QStringLiteral("-") ? in.open(stdin, QIODevice::ReadOnly) : (in.setFileName(file), in.open(QIODevice::ReadOnly));
    if (!opened) return std::nullopt;
    QStringList paths;
    QTextStream text(&in);
    text.setEncoding(QStringConverter::Utf8);
    while (!text.atEnd()) {
        QString line = text.readLine();
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (!line.trimmed().isEmpty()) paths << line;
    }
    return paths;
}

namespace {
// The command's options as the parser knows them.
struct Options {
    QCommandLineOption printer{QStringLiteral("printer"),
                               QStringLiteral("Print on NAME: a queue, its description, a class, or an ipp:// printer address.\n"
                                              "Default: your default printer."),
                               QStringLiteral("NAME")};
    QCommandLineOption pdf{QStringLiteral("pdf"), QStringLiteral("Write one PDF per document into DIR instead of printing."),
                           QStringLiteral("DIR")};
    QCommandLineOption extension{QStringLiteral("extension"),
                                 QStringLiteral("Extension of the files a folder contributes; * for all files. Default: odt."),
                                 QStringLiteral("EXT"), QStringLiteral("odt")};
    QCommandLineOption from{QStringLiteral("from"), QStringLiteral("Read paths from FILE, one a line; - for standard input."),
                            QStringLiteral("FILE")};
    QCommandLineOption copies{QStringLiteral("copies"), QStringLiteral("Print N copies of each document."), QStringLiteral("N")};
    QCommandLineOption pages{QStringLiteral("pages"), QStringLiteral("Print only these pages, e.g. 1-3,5."), QStringLiteral("RANGE")};
    QCommandLineOption sides{QStringLiteral("sides"), QStringLiteral("one-sided, two-sided-long-edge or two-sided-short-edge."),
                             QStringLiteral("SIDES")};
    QCommandLineOption option{{QStringLiteral("o"), QStringLiteral("option")},
                              QStringLiteral("Send the job attribute NAME=VALUE, as lp -o (media=iso_a4_210x297mm,\n"
                                             "print-color-mode=monochrome, ...); may be given again."),
                              QStringLiteral("NAME=VALUE")};
    QCommandLineOption wait{QStringLiteral("wait"),
                            QStringLiteral("Wait at most SECONDS for the jobs while none ends. Default: 300."),
                            QStringLiteral("SECONDS")};
    QCommandLineOption noWait{QStringLiteral("no-wait"), QStringLiteral("End once every job is queued; do not follow them.")};
    QCommandLineOption retry{QStringLiteral("retry"),
                             QStringLiteral("Print again the failed documents of the --json report FILE, except\n"
                                            "those whose job printed after all or still waits."),
                             QStringLiteral("FILE")};
    QCommandLineOption server{QStringLiteral("server"), QStringLiteral("Use the printing system at HOST[:PORT], as lp -h."),
                              QStringLiteral("HOST")};
    QCommandLineOption watch{QStringLiteral("watch"),
                             QStringLiteral("Print every document that arrives in the folder IN, until SIGTERM."),
                             QStringLiteral("IN")};
    QCommandLineOption done{QStringLiteral("done"), QStringLiteral("With --watch: where printed documents go. Default: IN/done."),
                            QStringLiteral("DIR")};
    QCommandLineOption failed{QStringLiteral("failed"),
                              QStringLiteral("With --watch: where failed documents go, each with its reason in NAME.txt.\n"
                                             "Default: IN/failed."),
                              QStringLiteral("DIR")};
    QCommandLineOption once{QStringLiteral("once"), QStringLiteral("With --watch: take what is there, then end.")};
    QCommandLineOption logFile{QStringLiteral("log"), QStringLiteral("With --watch: log to FILE, reopened on SIGHUP."),
                               QStringLiteral("FILE")};
    QCommandLineOption jobs{QStringLiteral("jobs"), QStringLiteral("Use N offices at once. Default: one per processor core."),
                            QStringLiteral("N")};
    QCommandLineOption renew{QStringLiteral("renew-after"), QStringLiteral("Start a fresh office after every N documents."),
                             QStringLiteral("N")};
    QCommandLineOption json{QStringLiteral("json"), QStringLiteral("Write a report of every document to FILE; - for standard output."),
                            QStringLiteral("FILE")};
    QCommandLineOption check{QStringLiteral("check"),
                             QStringLiteral("Print nothing: load each document as for printing and report its pages, password\n"
                                            "protection, outside content and macros, and the fonts it asks for that are missing.")};
    QCommandLineOption unsandboxed{
        QStringLiteral("unsandboxed"),
        QStringLiteral("UNSAFE: run the office without its sandbox, where documents can make it reach the network\n"
                       "and copy any file you can read into what it prints. Only for documents you trust.")};

    QList<QCommandLineOption> all() const {
        return {printer, pdf, extension, from, copies, pages, sides, option, wait, noWait, retry, server,
                watch, done, failed, once, logFile, jobs, renew, json, check, unsandboxed};
    }
    // Those that take a value once at most.
    QList<QCommandLineOption> single() const {
        return {printer, pdf, extension, copies, pages, sides, wait, retry, server, watch, done, failed, logFile, jobs, renew, json};
    }
};

// What reading one part of the command line found wrong, if anything.
using Fault = std::optional<QString>;
using ReadList = std::function<std::optional<QStringList>(const QString&)>;

// A whole number from low to high into `value`, when the option is given; `what` says what it must be.
Fault readNumber(const QCommandLineParser& parser, const QCommandLineOption& option, int low, int high, int& value,
                 const QString& what = {}) {
    if (!parser.isSet(option)) return {};
    const auto n = wholeNumber(parser.value(option), low, high);
    if (!n)
        return QStringLiteral("--%1: \"%2\" is not %3.")
            .arg(option.names().first(), parser.value(option),
                 what.isEmpty() ? QStringLiteral("a number from %1 to %2").arg(low).arg(high) : what);
    value = *n;
    return {};
}

Fault readPaths(const QCommandLineParser& parser, const Options& opt, const ReadList& readList, BatchOptions& o) {
    o.paths = parser.positionalArguments();
    for (const QString& list : parser.values(opt.from)) {
        const auto lines = readList(list);
        if (!lines) return QStringLiteral("--from: cannot read the list \"%1\".").arg(list);
        o.paths += *lines;
    }
    o.watchFolder = parser.value(opt.watch);
    o.doneFolder = parser.value(opt.done);
    o.failedFolder = parser.value(opt.failed);
    o.once = parser.isSet(opt.once);
    o.logFile = parser.value(opt.logFile);
    o.extension = parser.value(opt.extension);
    const bool watching = parser.isSet(opt.done) || parser.isSet(opt.failed) || o.once || parser.isSet(opt.logFile);
    if (parser.isSet(opt.watch)) {
        if (o.watchFolder.isEmpty()) return QStringLiteral("--watch: the folder is empty.");
        if (!o.paths.isEmpty() || parser.isSet(opt.retry) || parser.isSet(opt.check))
            return QStringLiteral("--watch takes its documents from the folder: give no PATH, --from, --retry or --check.");
        return {};
    }
    if (watching) return QStringLiteral("--done, --failed, --once and --log are for --watch.");
    o.retryReport = parser.value(opt.retry);
    if (parser.isSet(opt.retry)) {
        if (o.retryReport.isEmpty()) return QStringLiteral("--retry: the report's file name is empty.");
        if (!o.paths.isEmpty()) return QStringLiteral("--retry takes its documents from the report: give no PATH or --from.");
        return {};
    }
    if (o.paths.isEmpty()) return QStringLiteral("No documents given: name at least one PATH, or --from FILE.");
    if (o.extension.isEmpty() || o.extension.contains(QLatin1Char('/')))
        return QStringLiteral("--extension: \"%1\" is no extension (a name ending such as odt, or *).").arg(o.extension);
    return {};
}

// Where the documents go (a printer, PDFs, nowhere for a check), the report, and the office's sandbox.
Fault readDestination(const QCommandLineParser& parser, const Options& opt, BatchOptions& o) {
    o.printer = parser.value(opt.printer);
    o.pdfFolder = parser.value(opt.pdf);
    o.jsonFile = parser.value(opt.json);
    if (parser.isSet(opt.pdf) && o.pdfFolder.isEmpty()) return QStringLiteral("--pdf: the folder is empty.");
    if (parser.isSet(opt.json) && o.jsonFile.isEmpty()) return QStringLiteral("--json: the file name is empty.");
    o.server = parser.value(opt.server);
    if (parser.isSet(opt.server) && o.server.isEmpty()) return QStringLiteral("--server: the name is empty.");
    const bool paper = parser.isSet(opt.printer) || parser.isSet(opt.copies) || parser.isSet(opt.pages) || parser.isSet(opt.sides) ||
                       parser.isSet(opt.option) || parser.isSet(opt.wait) || parser.isSet(opt.noWait) || parser.isSet(opt.retry);
    const QString paperOptions = QStringLiteral("--printer, --copies, --pages, --sides, -o, --wait, --no-wait and --retry");
    if (parser.isSet(opt.pdf) && paper) return QStringLiteral("--pdf writes files: %1 are for paper.").arg(paperOptions);
    o.check = parser.isSet(opt.check);
    if (o.check && (paper || parser.isSet(opt.pdf)))
        return QStringLiteral("--check prints nothing: --pdf and %1 are for printing.").arg(paperOptions);
    o.unsandboxed = parser.isSet(opt.unsandboxed);
    return {};
}

// The job attributes: --copies and --sides first, then every -o in its order (a later one wins).
Fault readPrintOptions(const QCommandLineParser& parser, const Options& opt, BatchOptions& o) {
    int copies = 1;
    if (const Fault f = readNumber(parser, opt.copies, 1, MaxCopies, copies)) return f;
    if (copies > 1) o.jobOptions << JobOption{QStringLiteral("copies"), QString::number(copies)};
    if (parser.isSet(opt.pages)) {
        o.pages = parser.value(opt.pages).remove(QLatin1Char(' '));
        if (!isPageRange(o.pages))
            return QStringLiteral("--pages: \"%1\" is no page range (such as 2, 1-3 or 1-3,5).").arg(parser.value(opt.pages));
    }
    if (parser.isSet(opt.sides)) {
        const QString sides = parser.value(opt.sides);
        if (!Sides.contains(sides)) return QStringLiteral("--sides: \"%1\" is none of %2.").arg(sides, Sides.join(QStringLiteral(", ")));
        o.jobOptions << JobOption{QStringLiteral("sides"), sides};
    }
    for (const QString& text : parser.values(opt.option)) {
        const auto option = ParseJobOption(text);
        if (!option) return QStringLiteral("-o: \"%1\" is not NAME=VALUE.").arg(text);
        o.jobOptions << *option;
    }
    if (parser.isSet(opt.wait) && parser.isSet(opt.noWait)) return QStringLiteral("--wait and --no-wait exclude each other.");
    o.follow = !parser.isSet(opt.noWait);
    return readNumber(parser, opt.wait, 0, MaxWaitSeconds, o.waitSeconds);
}

Fault readOffices(const QCommandLineParser& parser, const Options& opt, BatchOptions& o) {
    if (const Fault f = readNumber(parser, opt.jobs, 1, MaxJobs, o.jobs)) return f;
    return readNumber(parser, opt.renew, 1, MaxRenewAfter, o.renewAfter, QStringLiteral("a positive number"));
}
}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments, const ReadList& readList) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints Writer documents through the office suite, each job confirmed by the printing system,\n"
                       "or writes one PDF file per document."));
    const Options opt;
    parser.addOptions(opt.all());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("Documents and folders, printed in this order."),
                                 QStringLiteral("PATH..."));

    if (!parser.parse(arguments)) return fault(parser.errorText());
    if (parser.isSet(help)) return {std::nullopt, usage(parser), 0};
    if (parser.isSet(version))
        return {std::nullopt, QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion() + QLatin1Char('\n'), 0};
    for (const QCommandLineOption& single : opt.single())
        if (parser.values(single).size() > 1)
            return fault(QStringLiteral("--%1 is given more than once.").arg(single.names().first()));
    BatchOptions o;
    if (const Fault f = readPaths(parser, opt, readList, o)) return fault(*f);
    if (const Fault f = readDestination(parser, opt, o)) return fault(*f);
    if (const Fault f = readPrintOptions(parser, opt, o)) return fault(*f);
    if (const Fault f = readOffices(parser, opt, o)) return fault(*f);
    return {o, {}, 0};
}
