#pragma once
#include <QString>
#include <cstdio>
#include <functional>

#include "batch/Report.h"

// The jobs' ends so far.
struct JobTally {
    int printed = 0, waiting = 0, failed = 0;
};

// What the user sees while the run goes on. On a terminal one line that is redrawn: documents done
// of all, the current name, the rate and the time left; failures are written above it. Elsewhere
// (a log, a pipe) one line per finished document. Checked documents get their line everywhere, and a
// document whose outside content was refused a warning line.
class Progress {
public:
    // elapsedSeconds: the time since the run started.
    Progress(std::FILE* out, bool terminal, int total, std::function<double()> elapsedSeconds);
    void started(const QString& path);
    void finished(int position, const DocumentResult& result);
    // Ends the redrawn line, if any, and says how the run went.
    void summary(const QList<DocumentResult>& results);

    // One finished document as a line of its own.
    static QString line(int position, int total, const DocumentResult& result);
    // What a check found: pages, password, outside content, missing fonts.
    static QString checkLine(const DocumentResult& result);
    // For a document whose outside content was refused (or, unsandboxed, not): the line that says so;
    // else the empty text.
    static QString warningLine(const DocumentResult& result);
    // The redrawn line: done/all, name, the jobs' ends, rate and time left.
    static QString statusLine(int done, int total, const QString& name, double elapsedSeconds, const JobTally& tally = {});

private:
    void redraw();
    std::FILE* out_;
    bool terminal_;
    int total_, done_ = 0;
    JobTally tally_;
    QString current_;
    std::function<double()> elapsed_;
};
