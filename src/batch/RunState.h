#pragma once
#include <QElapsedTimer>
#include <QSet>
#include <QStringList>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "batch/DocumentWork.h"
#include "batch/JobFollower.h"
#include "batch/Progress.h"
#include "batch/Report.h"

// What the offices of one run share: which document comes next, whose turn it is to print, the
// results, the progress shown, and the PDFs being written. Any thread.
class RunState {
public:
    // pdfPaths: the PDF of each document in a PDF run, else empty. printer: the run's printer, for the
    // report.
    RunState(const QStringList& documents, const QStringList& pdfPaths, const QString& reportFile, bool terminal,
             const QString& printer = {});

    // From now on a queued document's job is followed to its end (see JobFollower) before the document
    // counts as done; without it, queued is its outcome.
    void followJobs(PrintQueues& printers, int waitSeconds);
    // Before the offices start: a document that is not worked on again, with what became of it (a queued
    // one is followed like the others).
    void settleBeforehand(int position, const DocumentResult& result);

    // The position of the next document nobody works on yet; -1 when all are taken.
    int take();
    // Runs print when every document before `position` has had its turn.
    void inTurn(int position, const std::function<void()>& print);
    // The office's work on the document is over.
    void done(int position, const DocumentResult& result);

    PendingFiles& pdfs() { return pdfs_; }

    // Writes the report (documents not done as skipped, for `why`), shows the summary, and returns
    // the exit status.
    int finish();
    // Ends the run at once, from any thread: no partly written PDF is left, the report says what was
    // done, and the program exits with the status.
    [[noreturn]] void abandon(const QString& why, int exitStatus);

private:
    int finishLocked(const QString& skippedWhy);
    void settle(int position, const DocumentResult& result);
    void passBeforehandOnes();  // the turn and the next document skip those settled beforehand
    QStringList documents_, pdfPaths_;
    QString reportFile_, printer_;
    QElapsedTimer timer_;
    std::mutex mutex_;
    std::condition_variable turnChanged_;
    int next_ = 0, turn_ = 0;
    QList<DocumentResult> results_;
    QList<bool> finished_, beforehand_;
    PendingFiles pdfs_;
    Progress progress_;
    std::unique_ptr<JobFollower> follower_;  // last: it ends (and settles) before the rest goes
};
