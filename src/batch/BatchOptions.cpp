#include "BatchOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>

namespace {
const QStringList Sides{QStringLiteral("one-sided"), QStringLiteral("two-sided-long-edge"),
                        QStringLiteral("two-sided-short-edge")};
constexpr int MaxCopies = 999;
constexpr int MaxJobs = 64;  // as many office profiles as a user can have at once

ParsedCommandLine fault(const QString& message) { return {std::nullopt, message, 2}; }

// A whole number from `low` to `high`, or nothing.
std::optional<int> number(const QString& text, int low, int high) {
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
                          "then those of each --from list. Exit status: 0 when every document was printed or\n"
                          "written (or, with --check, loaded), 1 when some failed, 2 for a fault of usage or when\n"
                          "the office cannot be sandboxed here, 130 when interrupted.\n"
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

ParsedCommandLine ParseCommandLine(const QStringList& arguments,
                                   const std::function<std::optional<QStringList>(const QString&)>& readList) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints Writer documents through the office suite, each job confirmed by the printing system,\n"
                       "or writes one PDF file per document."));
    const QCommandLineOption printer(QStringLiteral("printer"),
                                     QStringLiteral("Print on NAME: a queue, its description or a class. Default: your default printer."),
                                     QStringLiteral("NAME"));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QStringLiteral("Write one PDF per document into DIR instead of printing."),
                                 QStringLiteral("DIR"));
    const QCommandLineOption extension(QStringLiteral("extension"),
                                       QStringLiteral("Extension of the files a folder contributes; * for all files. Default: odt."),
                                       QStringLiteral("EXT"), QStringLiteral("odt"));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("Read paths from FILE, one a line; - for standard input."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption copies(QStringLiteral("copies"), QStringLiteral("Print N copies of each document."), QStringLiteral("N"));
    const QCommandLineOption pages(QStringLiteral("pages"), QStringLiteral("Print only these pages, e.g. 1-3,5."), QStringLiteral("RANGE"));
    const QCommandLineOption sides(QStringLiteral("sides"), QStringLiteral("one-sided, two-sided-long-edge or two-sided-short-edge."),
                                   QStringLiteral("SIDES"));
    const QCommandLineOption jobs(QStringLiteral("jobs"), QStringLiteral("Use N offices at once. Default: one per processor core."),
                                  QStringLiteral("N"));
    const QCommandLineOption renew(QStringLiteral("renew-after"), QStringLiteral("Start a fresh office after every N documents."),
                                   QStringLiteral("N"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Write a report of every document to FILE; - for standard output."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption check(QStringLiteral("check"),
                                   QStringLiteral("Print nothing: load each document as for printing and report its pages, password\n"
                                                  "protection, outside content and macros, and the fonts it asks for that are missing."));
    const QCommandLineOption unsandboxed(
        QStringLiteral("unsandboxed"),
        QStringLiteral("UNSAFE: run the office without its sandbox, where documents can make it reach the network\n"
                       "and copy any file you can read into what it prints. Only for documents you trust."));
    parser.addOptions({printer, pdf, extension, from, copies, pages, sides, jobs, renew, json, check, unsandboxed});
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("PATH"), QStringLiteral("Documents and folders, printed in this order."),
                                 QStringLiteral("PATH..."));

    if (!parser.parse(arguments)) return fault(parser.errorText());
    if (parser.isSet(help)) return {std::nullopt, usage(parser), 0};
    if (parser.isSet(version))
        return {std::nullopt, QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion() + QLatin1Char('\n'), 0};

    BatchOptions o;
    for (const QCommandLineOption& single : {printer, pdf, extension, copies, pages, sides, jobs, renew, json})
        if (parser.values(single).size() > 1)
            return fault(QStringLiteral("--%1 is given more than once.").arg(single.names().first()));
    o.paths = parser.positionalArguments();
    for (const QString& list : parser.values(from)) {
        const auto lines = readList(list);
        if (!lines) return fault(QStringLiteral("--from: cannot read the list \"%1\".").arg(list));
        o.paths += *lines;
    }
    if (o.paths.isEmpty()) return fault(QStringLiteral("No documents given: name at least one PATH, or --from FILE."));
    o.extension = parser.value(extension);
    if (o.extension.isEmpty() || o.extension.contains(QLatin1Char('/')))
        return fault(QStringLiteral("--extension: \"%1\" is no extension (a name ending such as odt, or *).").arg(o.extension));
    o.printer = parser.value(printer);
    o.pdfFolder = parser.value(pdf);
    o.jsonFile = parser.value(json);
    if (parser.isSet(pdf) && o.pdfFolder.isEmpty()) return fault(QStringLiteral("--pdf: the folder is empty."));
    if (parser.isSet(json) && o.jsonFile.isEmpty()) return fault(QStringLiteral("--json: the file name is empty."));
    const bool paper = parser.isSet(printer) || parser.isSet(copies) || parser.isSet(pages) || parser.isSet(sides);
    if (parser.isSet(pdf) && paper)
        return fault(QStringLiteral("--pdf writes files: --printer, --copies, --pages and --sides are for paper."));
    o.check = parser.isSet(check);
    if (o.check && (paper || parser.isSet(pdf)))
        return fault(QStringLiteral("--check prints nothing: --pdf, --printer, --copies, --pages and --sides are for printing."));
    o.unsandboxed = parser.isSet(unsandboxed);
    if (parser.isSet(copies)) {
        const auto n = number(parser.value(copies), 1, MaxCopies);
        if (!n) return fault(QStringLiteral("--copies: \"%1\" is not a number from 1 to %2.").arg(parser.value(copies)).arg(MaxCopies));
        o.copies = *n;
    }
    if (parser.isSet(pages)) {
        o.pages = parser.value(pages).remove(QLatin1Char(' '));
        if (!isPageRange(o.pages))
            return fault(QStringLiteral("--pages: \"%1\" is no page range (such as 2, 1-3 or 1-3,5).").arg(parser.value(pages)));
    }
    if (parser.isSet(sides)) {
        o.sides = parser.value(sides);
        if (!Sides.contains(o.sides))
            return fault(QStringLiteral("--sides: \"%1\" is none of %2.").arg(o.sides, Sides.join(QStringLiteral(", "))));
    }
    if (parser.isSet(jobs)) {
        const auto n = number(parser.value(jobs), 1, MaxJobs);
        if (!n) return fault(QStringLiteral("--jobs: \"%1\" is not a number from 1 to %2.").arg(parser.value(jobs)).arg(MaxJobs));
        o.jobs = *n;
    }
    if (parser.isSet(renew)) {
        const auto n = number(parser.value(renew), 1, 1000000);
        if (!n) return fault(QStringLiteral("--renew-after: \"%1\" is not a positive number.").arg(parser.value(renew)));
        o.renewAfter = *n;
    }
    return {o, {}, 0};
}
