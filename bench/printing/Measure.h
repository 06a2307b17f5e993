#pragma once
// Clocks and summaries shared by the print-run benchmarks.
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QThread>
#include <algorithm>
#include <functional>
#include <numeric>
#include <sys/resource.h>
#include <vector>

// A benchmark that cannot measure what it set out to: thrown so that the scheduler and the
// temporary folders are still cleaned up on the way out.
struct BenchFailure {
    QString why;
};

class Stopwatch {
public:
    Stopwatch() { timer_.start(); }
    double seconds() const { return double(timer_.nsecsElapsed()) / 1e9; }

private:
    QElapsedTimer timer_;
};

// Processor time of this whole process (every thread, user and system), in seconds.
inline double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

inline double Mean(const std::vector<double>& values) {
    return values.empty() ? 0 : std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
}

inline double Max(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

// The one-minute load average: how busy the machine was around the figures.
inline QString LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 0)
                                          : QStringLiteral("?");
}

// Polls every 5 ms, so an output is seen at most that late; false when it is not there in time.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    Stopwatch clock;
    while (!done()) {
        if (clock.seconds() * 1000 > timeoutMs) return false;
        QThread::msleep(5);
    }
    return true;
}
