#include "RunState.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/OfficeSandbox.h"

namespace {
// Progress goes where the report does not.
std::FILE* progressStream(const QString& reportFile) { return reportFile == QStringLiteral("-") ? stderr : stdout; }

bool writeReport(const QString& file, const QByteArray& json) {
    if (file.isEmpty()) return true;
    if (file == QStringLiteral("-")) return std::fwrite(json.constData(), 1, size_t(json.size()), stdout) == size_t(json.size());
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(json) == json.size() && out.commit();
}
// Kills this program's child processes (its offices) and waits until they are gone, so that none can
// write a file after the run has removed it.
void endChildProcesses() {
    QList<pid_t> children;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray text = stat.readAll();
        // The fields after the command name, which may hold blanks: state, then the parent's id.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toInt() == ::getpid()) children << pid_t(entry.toInt());
    }
    for (const pid_t child : children) ::kill(child, SIGKILL);
    for (const pid_t child : children) ::waitpid(child, nullptr, 0);
}
}  // namespace

RunState::RunState(const QStringList& documents, const QStringList& pdfPaths, const QString& reportFile, bool terminal,
                   const QString& printer)
    : documents_(documents),
      pdfPaths_(pdfPaths),
      reportFile_(reportFile),
      printer_(printer),
      finished_(documents.size(), false),
      beforehand_(documents.size(), false),
      progress_(progressStream(reportFile), terminal, int(documents.size()),
                [this] { return timer_.nsecsElapsed() / 1e9; }) {
    timer_.start();
    for (const QString& path : documents) results_ << DocumentResult{path};
}

void RunState::followJobs(PrintQueues& printers, int waitSeconds) {
    follower_ = std::make_unique<JobFollower>(printers, waitSeconds,
                                              [this](int position, const DocumentResult& result) {
                                                  std::lock_guard lock(mutex_);
                                                  settle(position, result);
                                              });
}

void RunState::settleBeforehand(int position, const DocumentResult& result) {
    std::lock_guard lock(mutex_);
    beforehand_[position] = true;
    passBeforehandOnes();
    results_[position] = result;
    if (result.outcome == DocumentResult::Outcome::Queued && follower_) follower_->follow(position, result);
    else settle(position, result);
}

void RunState::passBeforehandOnes() {
    while (next_ < documents_.size() && beforehand_[next_]) ++next_;
    while (turn_ < documents_.size() && beforehand_[turn_]) ++turn_;
}

int RunState::take() {
    std::lock_guard lock(mutex_);
    passBeforehandOnes();
    if (next_ >= documents_.size()) return -1;
    progress_.started(documents_[next_]);
    return next_++;
}

void RunState::inTurn(int position, const std::function<void()>& print) {
    {
        std::unique_lock lock(mutex_);
        turnChanged_.wait(lock, [&] { return turn_ == position; });
    }
    // Whatever happens in print, the next document gets its turn.
    struct PassOn {
        RunState& state;
        ~PassOn() {
            {
                std::lock_guard lock(state.mutex_);
                ++state.turn_;
                state.passBeforehandOnes();
            }
            state.turnChanged_.notify_all();
        }
    } passOn{*this};
    print();
}

void RunState::done(int position, const DocumentResult& result) {
    std::lock_guard lock(mutex_);
    // Kept at once: a run that ends before the job does still reports the job it gave.
    results_[position] = result;
    if (result.outcome == DocumentResult::Outcome::Queued && follower_) follower_->follow(position, result);
    else settle(position, result);
}

void RunState::settle(int position, const DocumentResult& result) {
    results_[position] = result;
    finished_[position] = true;
    progress_.finished(position + 1, result);
}

int RunState::finishLocked(const QString& skippedWhy) {
    for (qsizetype i = 0; i < results_.size(); ++i) {
        // A job the printing system holds is reported as such, followed to its end or not.
        if (finished_[i] || results_[i].outcome == DocumentResult::Outcome::Queued) continue;
        // A PDF whose document was stopped between its naming and its report is whole all the same.
        if (i < pdfPaths_.size() && pdfs_.isPublished(pdfPaths_[i])) {
            results_[i].outcome = DocumentResult::Outcome::Written;
            results_[i].pdf = pdfPaths_[i];
        } else {
            results_[i].reason = skippedWhy;
        }
    }
    progress_.summary(results_);
    if (!writeReport(reportFile_, ReportJson(results_, printer_))) {
        std::fprintf(stderr, "quorvane-batch: cannot write the report \"%s\"\n", qUtf8Printable(reportFile_));
        return 1;
    }
    return ExitStatus(results_);
}

int RunState::finish() {
    if (follower_) follower_->finish();  // without the lock: the follower settles under it
    std::lock_guard lock(mutex_);
    pdfs_.removeAll();  // every PDF is named or gone by now; the spool folder goes
    return finishLocked(QStringLiteral("not reached"));
}

void RunState::abandon(const QString& why, int exitStatus) {
    std::unique_lock lock(mutex_);  // held until the end: no office thread goes on meanwhile
    endChildProcesses();
    RemoveOfficeRunFolders(RunFoldersOf::ThisProgram);
    pdfs_.removeAll();
    std::fprintf(stderr, "\nquorvane-batch: %s\n", qUtf8Printable(why));
    finishLocked(why);
    std::fflush(nullptr);
    ::_exit(exitStatus);
}
