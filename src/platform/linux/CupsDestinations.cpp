#include "CupsDestinations.h"

#include "platform/RuntimeError.h"

namespace {
QString QueueName(const cups_dest_t* dest) { return QString::fromUtf8(dest->name); }

QString Description(const cups_dest_t* dest) {
    return QString::fromUtf8(cupsGetOption("printer-info", dest->num_options, dest->options));
}
}  // namespace

void ThrowUnreachable() {
    if (cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
        throw RuntimeError(68, QStringLiteral("Device unavailable: the printing system (CUPS) is not running, so "
                                              "no printer can be used. Start it with \"sudo systemctl start "
                                              "cups\" and start Quorvane again."));
    throw RuntimeError(68, QStringLiteral("Device unavailable: the printing system cannot be asked (%1)")
                               .arg(QString::fromUtf8(cupsLastErrorString())));
}

// No destinations at all is a normal state (a fresh machine); a scheduler that does not answer is not.
Destinations::Destinations() {
    count_ = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests_);
    if (count_ > 0 || cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE || cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
        return;
    ThrowUnreachable();
}

std::vector<cups_dest_t*> Destinations::queues() const {
    std::vector<cups_dest_t*> result;
    for (int i = 0; i < count_; ++i)
        if (!dests_[i].instance) result.push_back(&dests_[i]);
    return result;
}

// A description that another queue also carries, or that is another queue's name, would make two
// printers look alike, so those queues show their queue names.
QStringList Destinations::names() const {
    const auto all = queues();
    QStringList names;
    for (const cups_dest_t* dest : all) {
        const QString description = Description(dest);
        bool unique = !description.isEmpty();
        for (const cups_dest_t* other : all) {
            if (!unique) break;
            if (other != dest && (Description(other) == description || QueueName(other) == description))
                unique = false;
        }
        names << (unique ? description : QueueName(dest));
    }
    return names;
}

cups_dest_t* Destinations::queueNamed(const QString& name) const {
    const qsizetype at = names().indexOf(name);
    if (name.isEmpty() || at < 0) throw RuntimeError(5, QStringLiteral("There is no printer named \"%1\".").arg(name));
    return queues()[size_t(at)];
}

QString Destinations::nameOfQueue(const QString& queue) const {
    const auto all = queues();
    const QStringList shown = names();
    for (size_t q = 0; q < all.size(); ++q)
        if (QueueName(all[q]) == queue) return shown[qsizetype(q)];
    return queue;
}
