#include "CupsPrinters.h"

#include "CupsDestinations.h"
#include "platform/RuntimeError.h"

QStringList CupsPrinters::installedPrinters() { return Destinations().names(); }

QString CupsPrinters::defaultPrinter() {
    Destinations dests;
    for (int i = 0; i < dests.count(); ++i) {
        const cups_dest_t& dest = dests.all()[i];
        // A default instance prints on its queue, so the queue is the default printer.
        if (dest.is_default) return dests.nameOfQueue(QString::fromUtf8(dest.name));
    }
    return {};
}

void CupsPrinters::setDefaultPrinter(const QString& name) {
    Destinations dests;
    cups_dest_t* chosen = name.isEmpty() ? nullptr : dests.queueNamed(name);
    for (int i = 0; i < dests.count(); ++i) dests.all()[i].is_default = &dests.all()[i] == chosen;
    if (cupsSetDests2(CUPS_HTTP_DEFAULT, dests.count(), dests.all()) != 0)
        throw RuntimeError(70, QStringLiteral("Permission denied: the default printer cannot be saved (%1)")
                                   .arg(QString::fromUtf8(cupsLastErrorString())));
}

QString CupsPrinters::queueOf(const QString& name) {
    if (IsPrinterAddress(name)) return name;
    return QString::fromUtf8(Destinations().queueNamed(name)->name);
}
