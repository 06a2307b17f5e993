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

RunState::RunState(const QStringList& documents, const QStringList& pdfPaths, const QString& reportFile, bool terminal)
    : documents_(documents),
      pdfPaths_(pdfPaths),
      reportFile_(reportFile),
      finished_(documents.size(), false),
      progress_(progressStream(reportFile), terminal, int(documents.size()),
                [this] { return timer_.nsecsElapsed() / 1e9; }) {
    timer_.start();
    for (const QString& path : documents) results_ << DocumentResult{path};
}

int RunState::take() {
    std::lock_guard lock(mutex_);
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
            }
            state.turnChanged_.notify_all();
        }
    } passOn{*this};
    print();
}

void RunState::done(int position, const DocumentResult& result) {
    std::lock_guard lock(mutex_);
    results_[position] = result;
    finished_[position] = true;
    progress_.finished(position + 1, result);
}

int RunState::finishLocked(const QString& skippedWhy) {
    for (qsizetype i = 0; i < results_.size(); ++i) {
        if (finished_[i]) continue;
        // A PDF whose document was stopped between its naming and its report is whole all the same.
        if (i < pdfPaths_.size() && pdfs_.isPublished(pdfPaths_[i])) {
            results_[i].outcome = DocumentResult::Outcome::Written;
            results_[i].pdf = pdfPaths_[i];
        } else {
            results_[i].reason = skippedWhy;
        }
    }
    progress_.summary(results_);
    if (!writeReport(reportFile_, ReportJson(results_))) {
        std::fprintf(stderr, "quorvane-batch: cannot write the report \"%s\"\n", qUtf8Printable(reportFile_));
        return 1;
    }
    return ExitStatus(results_);
}

int RunState::finish() {
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
