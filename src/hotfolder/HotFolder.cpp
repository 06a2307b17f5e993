#include "HotFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QMap>
#include <QSet>
#include <QThread>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "batch/JobFollower.h"
#include "engine/PathHelpers.h"
#include "engine/PdfNames.h"
#include "hotfolder/Arrivals.h"
#include "hotfolder/WorkFolder.h"

namespace {
constexpr int SettleMs = 1000;       // a document left alone this long by its writers is whole
constexpr int LookMs = 200;
constexpr int LastJobsWithinMs = 10000;  // on SIGTERM, the jobs just sent are followed this long

void log(const QString& line) {
    std::fprintf(stderr, "quorvane-batch: %s\n", qUtf8Printable(line));
    std::fflush(stderr);
}

// Standard error goes to the log file, when there is one; opened anew on SIGHUP for log rotation.
void openLog(const QString& file) {
    if (file.isEmpty()) return;
    const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
    if (fd < 0) return log(QStringLiteral("cannot open the log \"%1\"; logging on").arg(file));
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
}

class HotFolder {
public:
    HotFolder(BatchPlatform& shared, const BatchOptions& options, const Destination& destination)
        : shared_(shared),
          options_(options),
          destination_(destination),
          in_(QDir::cleanPath(QFileInfo(options.watchFolder).absoluteFilePath())),
          work_(in_, absolute(options.doneFolder, QStringLiteral("done")), absolute(options.failedFolder, QStringLiteral("failed"))),
          arrivals_(in_, options.extension, SettleMs) {}

    int run();

private:
    struct ToPrint {
        int position, turn;
    };
    QString absolute(const QString& folder, const QString& inside) const {
        return folder.isEmpty() ? in_ + QLatin1Char('/') + inside : QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    }
    bool takeSignal(int fd);
    void resume();
    void arrive(const QString& name);
    void enqueue(int position);
    void follow(int position);
    void work();
    DocumentResult printOne(DocumentWork& worker, int position, int turn, PendingFiles& pending);
    void settle(int position, DocumentResult result);
    void appendJson(const DocumentResult& result);
    void stopClaiming(bool putBack);

    BatchPlatform& shared_;
    const BatchOptions& options_;
    Destination destination_;
    QString in_;
    WorkFolder work_;
    Arrivals arrivals_;
    std::unique_ptr<JobFollower> follower_;
    PendingFiles pending_;
    std::mutex mutex_;
    std::condition_variable changed_;
    QMap<int, Claimed> documents_;  // by position: everything claimed and not filed yet
    std::deque<ToPrint> toPrint_;
    int positions_ = 0, turns_ = 0, turn_ = 0;
    bool closing_ = false;  // nothing more comes: the offices end once the queue is empty
    int failed_ = 0, waiting_ = 0;
};

bool HotFolder::takeSignal(int fd) {
    signalfd_siginfo info;
    if (::read(fd, &info, sizeof info) != sizeof info) return false;
    if (info.ssi_signo == SIGHUP) {
        openLog(options_.logFile);
        log(QStringLiteral("log reopened"));
        return false;
    }
    log(QStringLiteral("signal %1: ending").arg(info.ssi_signo));
    return true;
}

// What dead instances of this machine left: filed when their end is known, followed when their job
// is (a waiting one too), and printed (once) when they never got one.
void HotFolder::resume() {
    for (Claimed d : work_.takeOver()) {
        const int position = positions_++;
        if (d.job == 0 && d.newestBefore >= 0) {
            // Sent, perhaps, in the instant before the instance ended: the printing system tells.
            for (const PrintJob& job : shared_.withoutOffice().printers.jobsAfter(d.newestBefore))
                if (job.title == d.name) work_.sent(d, job.id, d.printer);
        }
        log(QStringLiteral("resumed %1 (%2)").arg(d.name, d.job > 0 ? QStringLiteral("job %1").arg(d.job) : QStringLiteral("not printed yet")));
        {
            std::lock_guard lock(mutex_);
            documents_[position] = d;
        }
        // A waiting job is no end: it is followed again.
        if (!d.outcome.isEmpty() && !(d.outcome == QStringLiteral("waiting") && d.job > 0)) {
            DocumentResult r{in_ + QLatin1Char('/') + d.name};
            r.outcome = d.outcome == QStringLiteral("printed") ? DocumentResult::Outcome::Printed
                        : d.outcome == QStringLiteral("written") ? DocumentResult::Outcome::Written
                                                                 : DocumentResult::Outcome::Failed;
            r.reason = d.reason;
            settle(position, r);
        } else if (d.job > 0) {
            follow(position);
        } else {
            enqueue(position);
        }
    }
}

void HotFolder::follow(int position) {
    Claimed d;
    {
        std::lock_guard lock(mutex_);
        d = documents_[position];
    }
    DocumentResult queued{in_ + QLatin1Char('/') + d.name, DocumentResult::Outcome::Queued, d.printer, d.job};
    follower_->follow(position, queued);
}

void HotFolder::enqueue(int position) {
    {
        std::lock_guard lock(mutex_);
        toPrint_.push_back({position, turns_++});
    }
    changed_.notify_all();
}

void HotFolder::arrive(const QString& name) {
    std::optional<Claimed> d = work_.claim(name);
    if (!d) return;  // another instance was first
    const int position = positions_++;
    {
        std::lock_guard lock(mutex_);
        documents_[position] = *d;
    }
    log(QStringLiteral("claimed %1").arg(name));
    struct stat st;
    if (::lstat(QFile::encodeName(d->path).constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        DocumentResult r{in_ + QLatin1Char('/') + name, DocumentResult::Outcome::Failed};
        r.reason = QStringLiteral("not a regular file (a link, a folder or a device): not printed");
        return settle(position, r);
    }
    enqueue(position);
}

// The jobs reach the printer in the order the documents arrived: each takes its turn.
DocumentResult HotFolder::printOne(DocumentWork& worker, int position, int turn, PendingFiles& pending) {
    Claimed d;
    {
        std::lock_guard lock(mutex_);
        d = documents_[position];
    }
    if (destination_.pdf) {
        // A service writes into a folder that fills up over days: a name already there is kept, as
        // the same document dropped again must not replace its earlier PDF. Only the names tried are
        // looked at, not the whole folder.
        const QString folder = QDir::cleanPath(QFileInfo(options_.pdfFolder).absoluteFilePath());
        const QString base = TrimSpaces(CleanPdfName(GetFileName(RemoveExtension(d.name))));
        QSet<QString> taken;
        QString pdf;
        while (QFileInfo::exists(pdf = PdfPath(folder, base, taken))) taken << pdf;
        return worker.writePdf(d.path, pdf, pending);
    }
    const auto inTurn = [&](const std::function<void()>& print) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return turn_ == turn; });
        lock.unlock();
        const int newest = shared_.withoutOffice().printers.newestJobId();
        work_.sending(d, newest, destination_.printer);
        print();
        lock.lock();
        ++turn_;
        lock.unlock();
        changed_.notify_all();
    };
    return worker.print(d.path, inTurn, pending, [&](const SentJob& job) {
        work_.sent(d, job.id, job.printer);
        std::lock_guard lock(mutex_);
        documents_[position].job = job.id;
    });
}

void HotFolder::work() {
    const std::unique_ptr<Office> office = shared_.newOffice();
    if (options_.unsandboxed) office->runUnsandboxed();
    const std::unique_ptr<FileSystem> files = shared_.newFileSystem();
    DocumentWork worker(shared_.with(*office, *files), destination_, {options_.pages, options_.jobOptions}, options_.renewAfter, false);
    for (;;) {
        ToPrint next;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return !toPrint_.empty() || closing_; });
            if (toPrint_.empty()) break;
            next = toPrint_.front();
            toPrint_.pop_front();
        }
        DocumentResult r = printOne(worker, next.position, next.turn, pending_);
        {
            std::lock_guard lock(mutex_);
            r.path = in_ + QLatin1Char('/') + documents_.value(next.position).name;
        }
        if (r.outcome == DocumentResult::Outcome::Queued) follower_->follow(next.position, r);
        else settle(next.position, r);
    }
    worker.shutdown();
}

void HotFolder::settle(int position, DocumentResult r) {
    std::lock_guard lock(mutex_);
    Claimed& d = documents_[position];
    const QString outcome = OutcomeName(r.outcome);
    work_.ended(d, outcome, r.reason);
    if (r.outcome == DocumentResult::Outcome::Waiting) {
        // Its job prints later; a later instance follows it from the journal.
        ++waiting_;
        log(QStringLiteral("%1 waits: %2").arg(d.name, r.reason));
    } else {
        const bool done = r.outcome != DocumentResult::Outcome::Failed;
        failed_ += !done;
        const QString to = work_.file(d, done, r.reason);
        log(done ? QStringLiteral("%1 %2%3, now %4").arg(d.name, outcome, r.job > 0 ? QStringLiteral(" as job %1").arg(r.job) : QString(), to)
                 : QStringLiteral("%1 failed: %2; now %3").arg(d.name, r.reason, to));
    }
    appendJson(r);
    documents_.remove(position);
}

// One line per document, appended, so that a report grows with the service.
void HotFolder::appendJson(const DocumentResult& r) {
    if (options_.jsonFile.isEmpty()) return;
    const QByteArray line = QJsonDocument(DocumentJson(r)).toJson(QJsonDocument::Compact) + '\n';
    if (options_.jsonFile == QStringLiteral("-")) {
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        std::fflush(stdout);
        return;
    }
    const int fd = ::open(QFile::encodeName(options_.jsonFile).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, line.constData(), size_t(line.size())) != line.size())
        log(QStringLiteral("cannot append to the report \"%1\"").arg(options_.jsonFile));
    if (fd >= 0) ::close(fd);
}

// No more documents are taken; those not begun go back where they arrived when the service ends.
void HotFolder::stopClaiming(bool putBack) {
    std::lock_guard lock(mutex_);
    closing_ = true;
    if (putBack) {
        for (const ToPrint& q : toPrint_) {
            work_.putBack(documents_[q.position]);
            log(QStringLiteral("%1 put back, not printed").arg(documents_[q.position].name));
            documents_.remove(q.position);
        }
        toPrint_.clear();
    }
    changed_.notify_all();
}

int HotFolder::run() {
    sigset_t mask;
    sigemptyset(&mask);
    for (const int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&mask, s);
    pthread_sigmask(SIG_BLOCK, &mask, nullptr);  // before any thread: only the signal descriptor hears them
    const int signalFd = ::signalfd(-1, &mask, SFD_CLOEXEC);
    openLog(options_.logFile);
    QString why;
    if (!work_.start(&why) || !arrivals_.start(&why)) {
        log(why);
        return 2;
    }
    log(QStringLiteral("watching %1 as %2").arg(in_, work_.instance()));
    follower_ = std::make_unique<JobFollower>(
        shared_.withoutOffice().printers, options_.waitSeconds, [this](int position, const DocumentResult& r) { settle(position, r); },
        options_.once ? JobFollower::Waits::AreEnds : JobFollower::Waits::AreNoEnds);
    resume();
    QList<QThread*> offices;
    const int count = options_.jobs > 0 ? options_.jobs : std::max(1, QThread::idealThreadCount());
    for (int i = 0; i < count; ++i) {
        offices << QThread::create([this] { work(); });
        offices.last()->start();
    }
    bool ending = false;
    while (!ending) {
        pollfd fds[2] = {{arrivals_.fd(), POLLIN, 0}, {signalFd, POLLIN, 0}};
        ::poll(fds, 2, LookMs);
        if (fds[1].revents & POLLIN) ending = takeSignal(signalFd);
        if (fds[0].revents & POLLIN) arrivals_.readEvents();
        if (ending) break;
        for (const QString& name : arrivals_.takeWhole()) arrive(name);
        if (options_.once && !arrivals_.anyPending()) break;
    }
    stopClaiming(ending);
    for (QThread* office : offices) {
        office->wait();
        delete office;
    }
    follower_->finish(ending ? LastJobsWithinMs : -1);
    follower_.reset();
    pending_.removeAll();
    work_.close();
    ::close(signalFd);
    if (!options_.once) return 0;
    return failed_ > 0 ? 1 : waiting_ > 0 ? WaitingExitStatus : 0;
}
}  // namespace

int RunHotFolder(BatchPlatform& shared, const BatchOptions& options, const Destination& destination) {
    return HotFolder(shared, options, destination).run();
}
