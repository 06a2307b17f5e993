#pragma once
// The scheduler's destinations as the program names them. A printer's name is its queue's description
// (printer-info) when that is set and names no other queue, else the queue name.
#include <QStringList>
#include <cups/cups.h>

#include <vector>

// The destinations as libcups lists them (sorted by queue name), freed on scope exit.
class Destinations {
public:
    Destinations();
    ~Destinations() { cupsFreeDests(count_, dests_); }
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;

    // Queues only: instances of a queue (lpoptions "queue/instance") are not printers of their own.
    std::vector<cups_dest_t*> queues() const;
    int count() const { return count_; }
    cups_dest_t* all() const { return dests_; }

    // Display names parallel to queues().
    QStringList names() const;
    // The queue that shows under a printer name; throws RuntimeError when there is none.
    cups_dest_t* queueNamed(const QString& name) const;
    // The printer name a queue shows under; the queue's own name when it is not listed.
    QString nameOfQueue(const QString& queue) const;

private:
    cups_dest_t* dests_ = nullptr;
    int count_ = 0;
};

// The printing system cannot be asked.
[[noreturn]] void ThrowUnreachable();
