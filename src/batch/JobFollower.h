#pragma once
#include <QElapsedTimer>
#include <QList>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "batch/Report.h"
#include "platform/PrintQueues.h"

// Follows the run's jobs, on a thread of its own, from the moment the printing system holds them until
// they end (printed or failed) or wait (see JobEnd.h), while the offices go on with the next documents.
// The run waits for no job longer than `waitSeconds` without any of its jobs arriving or ending. A
// follower for which waiting is no end (a service's) follows a waiting job until it prints or fails.
class JobFollower {
public:
    using Settle = std::function<void(int position, const DocumentResult& result)>;
    enum class Waits { AreEnds, AreNoEnds };
    JobFollower(PrintQueues& printers, int waitSeconds, Settle settle, Waits waits = Waits::AreEnds);
    ~JobFollower();
    JobFollower(const JobFollower&) = delete;
    JobFollower& operator=(const JobFollower&) = delete;

    // A document whose job the printing system holds (its result queued, with printer and job id).
    void follow(int position, const DocumentResult& queued);
    // Returns once every job followed has been settled, or after withinMs (-1: no bound), leaving the
    // others unsettled; no more come.
    void finish(int withinMs = -1);

private:
    struct Followed {
        int position;
        DocumentResult result;
    };
    void run();
    // One look at every job followed; the settled ones are taken out and handed to settle_.
    void look(bool boundOver);

    PrintQueues& printers_;
    const int waitSeconds_;
    Settle settle_;
    const Waits waits_;
    QElapsedTimer sinceFinish_;
    int finishWithinMs_ = -1;
    std::mutex mutex_;
    std::condition_variable changed_;
    QList<Followed> followed_;
    QElapsedTimer sinceProgress_;  // since a job arrived or ended
    bool closed_ = false;
    std::thread thread_;
};
