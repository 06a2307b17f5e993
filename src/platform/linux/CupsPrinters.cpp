#include "CupsPrinters.h"

#include <cups/cups.h>

#include <memory>
#include <vector>

#include "platform/RuntimeError.h"

namespace {

// The destinations as libcups lists them (sorted by queue name), freed on scope exit.
class Destinations {
public:
    // No destinations at all is a normal state (a fresh machine); a scheduler that does not answer is not.
    Destinations() {
        count_ = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests_);
        if (count_ > 0 || cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE ||
            cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
            return;
        if (cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
            throw RuntimeError(68, QStringLiteral("Device unavailable: the printing system (CUPS) is not running, so "
                                                  "no printer can be used. Start it with \"sudo systemctl start "
                                                  "cups\" and start Quorvane again."));
        throw RuntimeError(68, QStringLiteral("Device unavailable: the printing system cannot be asked (%1)")
                                   .arg(QString::fromUtf8(cupsLastErrorString())));
    }
    ~Destinations() { cupsFreeDests(count_, dests_); }
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;

    // Queues only: instances of a queue (lpoptions "queue/instance") are not printers of their own.
    std::vector<cups_dest_t*> queues() const {
        std::vector<cups_dest_t*> result;
        for (int i = 0; i < count_; ++i)
            if (!dests_[i].instance) result.push_back(&dests_[i]);
        return result;
    }
    int count() const { return count_; }
    cups_dest_t* all() const { return dests_; }

private:
    cups_dest_t* dests_ = nullptr;
    int count_ = 0;
};

QString QueueName(const cups_dest_t* dest) { return QString::fromUtf8(dest->name); }

QString Description(const cups_dest_t* dest) {
    return QString::fromUtf8(cupsGetOption("printer-info", dest->num_options, dest->options));
}

// Display names parallel to the queues. A description that another queue also carries, or that is
// another queue's name, would make two printers look alike, so those queues show their queue names.
QStringList DisplayNames(const std::vector<cups_dest_t*>& queues) {
    QStringList names;
    for (const cups_dest_t* dest : queues) {
        const QString description = Description(dest);
        bool unique = !description.isEmpty();
        for (const cups_dest_t* other : queues) {
            if (!unique) break;
            if (other != dest && (Description(other) == description || QueueName(other) == description))
                unique = false;
        }
        names << (unique ? description : QueueName(dest));
    }
    return names;
}

// The queue that shows under a printer name; throws when there is none.
cups_dest_t* QueueNamed(const std::vector<cups_dest_t*>& queues, const QString& name) {
    const qsizetype at = DisplayNames(queues).indexOf(name);
    if (name.isEmpty() || at < 0) throw RuntimeError(5, QStringLiteral("There is no printer named \"%1\".").arg(name));
    return queues[size_t(at)];
}

}  // namespace

QStringList CupsPrinters::installedPrinters() {
    Destinations dests;
    return DisplayNames(dests.queues());
}

QString CupsPrinters::defaultPrinter() {
    Destinations dests;
    const auto queues = dests.queues();
    const QStringList names = DisplayNames(queues);
    for (int i = 0; i < dests.count(); ++i) {
        const cups_dest_t& dest = dests.all()[i];
        if (!dest.is_default) continue;
        // A default instance prints on its queue, so the queue is the default printer.
        for (size_t q = 0; q < queues.size(); ++q)
            if (QueueName(queues[q]) == QString::fromUtf8(dest.name)) return names[int(q)];
    }
    return {};
}

void CupsPrinters::setDefaultPrinter(const QString& name) {
    Destinations dests;
    const auto queues = dests.queues();
    cups_dest_t* chosen = name.isEmpty() ? nullptr : QueueNamed(queues, name);
    for (int i = 0; i < dests.count(); ++i) dests.all()[i].is_default = &dests.all()[i] == chosen;
    if (cupsSetDests2(CUPS_HTTP_DEFAULT, dests.count(), dests.all()) != 0)
        throw RuntimeError(70, QStringLiteral("Permission denied: the default printer cannot be saved (%1)")
                                   .arg(QString::fromUtf8(cupsLastErrorString())));
}

int CupsPrinters::unfinishedJobs(const QString& name) {
    Destinations dests;
    const QByteArray queue = QueueNamed(dests.queues(), name)->name;
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.constData(), 1, CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(count < 0 ? 0 : count, jobs);
    if (count < 0)
        throw RuntimeError(68, QStringLiteral("Device unavailable: the printing system cannot be asked (%1)")
                                   .arg(QString::fromUtf8(cupsLastErrorString())));
    return count;
}
