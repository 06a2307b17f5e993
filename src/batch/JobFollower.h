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
// The run waits for no job longer than `waitSeconds` without any of its jobs arriving or ending.
class JobFollower {
public:
    using Settle = std::function<void(int position, const DocumentResult& result)>;
    JobFollower(PrintQueues& printers, int waitSeconds, Settle settle);
    ~JobFollower();
    JobFollower(const JobFollower&) = delete;
    JobFollower& operator=(const JobFollower&) = delete;

    // A document whose job the printing system holds (its result queued, with printer and job id).
    void follow(int position, const DocumentResult& queued);
    // Returns once every job followed has been settled; no more come.
    void finish();

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
    std::mutex mutex_;
    std::condition_variable changed_;
    QList<Followed> followed_;
    QElapsedTimer sinceProgress_;  // since a job arrived or ended
    bool closed_ = false;
    std::thread thread_;
};
