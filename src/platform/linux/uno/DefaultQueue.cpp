#include "DefaultQueue.h"

#include <cups/cups.h>

QString DefaultQueue() {
    // Not cached: the print run changes the default between documents.
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (!dest) return {};
    QString name = QString::fromUtf8(dest->name);
    if (dest->instance && *dest->instance) name += QLatin1Char('/') + QString::fromUtf8(dest->instance);
    cupsFreeDests(1, dest);
    return name;
}
