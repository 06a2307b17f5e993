#include "JobFollower.h"

#include <QMap>
#include <algorithm>

#include "engine/JobEnd.h"
#include "platform/RuntimeError.h"

namespace {
// Often enough that a run ends soon after its last job; a look costs the scheduler one request a job.
constexpr int LookEveryMs = 100;
}  // namespace

JobFollower::JobFollower(PrintQueues& printers, int waitSeconds, Settle settle, Waits waits)
    : printers_(printers), waitSeconds_(waitSeconds), settle_(std::move(settle)), waits_(waits) {
    sinceProgress_.start();
    thread_ = std::thread([this] { run(); });
}

JobFollower::~JobFollower() { finish(); }

void JobFollower::follow(int position, const DocumentResult& queued) {
    {
        std::lock_guard lock(mutex_);
        followed_ << Followed{position, queued};
        sinceProgress_.restart();
    }
    changed_.notify_all();
}

void JobFollower::finish(int withinMs) {
    {
        std::lock_guard lock(mutex_);
        if (!closed_) sinceFinish_.start();
        closed_ = true;
        finishWithinMs_ = withinMs;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void JobFollower::run() {
    for (;;) {
        bool boundOver = false;
        {
            std::unique_lock lock(mutex_);
            changed_.wait_for(lock, std::chrono::milliseconds(LookEveryMs));
            if (closed_ && (followed_.isEmpty() || (finishWithinMs_ >= 0 && sinceFinish_.elapsed() >= finishWithinMs_))) return;
            if (followed_.isEmpty()) continue;
            boundOver = waits_ == Waits::AreEnds && sinceProgress_.elapsed() >= qint64(waitSeconds_) * 1000;
        }
        look(boundOver);
    }
}

void JobFollower::look(bool boundOver) {
    QList<Followed> snapshot;
    {
        std::lock_guard lock(mutex_);
        snapshot = followed_;
    }
    QMap<QString, PrinterState> printers;  // asked once a look, and only for a job that is not done
    const auto printerOf = [&](const QString& name) {
        if (!printers.contains(name)) printers[name] = printers_.printerState(name);
        return printers[name];
    };
    QList<Followed> settled;
    for (Followed& f : snapshot) {
        PrintJob job;
        try {
            job = printers_.job(f.result.job, f.result.printer);
        } catch (const RuntimeError& e) {
            // A job the printing system forgot at once (a scheduler restarted without its history).
            f.result.outcome = DocumentResult::Outcome::Failed;
            f.result.reason = e.description;
            settled << f;
            continue;
        }
        job.printer = f.result.printer;
        const PrinterState printer = job.state == PrintJob::State::Completed ? PrinterState{} : printerOf(job.printer);
        std::optional<JobEnd> end = EndOfJob(job, printer);
        if (!end && boundOver) end = StillOnItsWay(job, printer, waitSeconds_);
        if (!end || (end->kind == JobEnd::Kind::Waiting && waits_ == Waits::AreNoEnds)) continue;
        f.result.outcome = end->kind == JobEnd::Kind::Printed  ? DocumentResult::Outcome::Printed
                           : end->kind == JobEnd::Kind::Failed ? DocumentResult::Outcome::Failed
                                                               : DocumentResult::Outcome::Waiting;
        if (!end->reason.isEmpty()) f.result.reason = end->reason;
        settled << f;
    }
    if (settled.isEmpty()) return;
    {
        std::lock_guard lock(mutex_);
        for (const Followed& s : settled)
            followed_.removeIf([&](const Followed& f) { return f.position == s.position; });
        if (std::any_of(settled.begin(), settled.end(),
                        [](const Followed& s) { return s.result.outcome != DocumentResult::Outcome::Waiting; }))
            sinceProgress_.restart();
    }
    for (const Followed& s : settled) settle_(s.position, s.result);
}
