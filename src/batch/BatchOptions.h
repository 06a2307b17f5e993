#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "platform/PrintQueues.h"

// What one run of the command is asked to do, as its command line says.
struct BatchOptions {
    QStringList paths;         // documents and folders, in the order given (--from lines in their place)
    QString extension = QStringLiteral("odt");  // of the files a folder contributes; "*" for all
    QString printer;           // a printer's name, queue, class or address; empty: the user's default printer
    QString server;            // set: the printing system to use (HOST[:PORT] or a socket), as `lp -h`
    QString pdfFolder;         // set: PDF files into this folder instead of paper
    QString jsonFile;          // set: the report goes there ("-": standard output)
    QString pages;             // a page range as the office takes it ("1-3,5"); empty: all
    JobOptions jobOptions;     // -o NAME=VALUE in order; --copies and --sides are among them
    bool follow = true;        // each job followed to its end; false (--no-wait): done once queued
    int waitSeconds = 300;     // the longest wait for the jobs without one arriving or ending
    QString retryReport;       // set: the failed documents of this earlier report are the run's
    QString watchFolder;       // set: a hot folder, watched for documents until the service ends
    QString doneFolder, failedFolder;  // the watched folder's; empty: IN/done and IN/failed
    bool once = false;         // the hot folder's documents of now, then the end
    QString logFile;           // set: standard error goes there, reopened on SIGHUP
    int jobs = 0;              // offices at once; 0: one per processor core
    int renewAfter = 0;        // documents per office before a fresh one; 0: never
    bool check = false;        // nothing printed: each document loaded and described
    bool unsandboxed = false;  // UNSAFE: the office without its sandbox (see Office::runUnsandboxed)
};

// The outcome of reading the command line: options, or a message for the user and the exit status
// (0 for --help and --version, which print their text; 2 for a fault of usage).
struct ParsedCommandLine {
    std::optional<BatchOptions> options;
    QString message;
    int exitStatus = 0;
};

// Reads arguments (the program's name first). `readList` gives the lines of a --from file ("-":
// standard input), or nothing when it cannot be read.
ParsedCommandLine ParseCommandLine(const QStringList& arguments,
                                   const std::function<std::optional<QStringList>(const QString&)>& readList);

// The lines of a --from file: one path a line, blank lines and a trailing CR ignored.
std::optional<QStringList> ReadPathList(const QString& file);
