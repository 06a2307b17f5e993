#include "GetSetPrinter.h"

#include <QSignalBlocker>

#include "app/Form1.h"
#include "runtime/Settings.h"
#include "runtime/Trap.h"
#include "runtime/Inform.h"
#include "printing/Pause.h"
#include "printing/RunUnderWay.h"

namespace {
const QString Combo1Key = QStringLiteral("Combo1");

RuntimeError invalidPropertyValue() { return {380, QStringLiteral("Invalid property value")}; }

// A list box position as the classic control takes it: -1 for none, else one of its entries.
void selectPosition(QComboBox* box, int position) {
    if (position < -1 || position >= box->count()) throw invalidPropertyValue();
    box->setCurrentIndex(position);
}
}  // namespace

// No trap of its own: a failure ends it and start-up reports it at its calling step.
void FillPrinterList(Form1& form) {
    Platform& p = form.platform;
    QComboBox* box = form.Combo1;
    const QString current = p.printers.defaultPrinter();
    {
        // Filling the box selects nothing; only the restore below is a selection the box reports.
        const QSignalBlocker quiet(box);
        box->addItems(p.printers.installedPrinters());
        box->setCurrentIndex(-1);
    }
    const QString stored = GetSetting(p.settings, Combo1Key);
    if (!stored.isEmpty()) {
        if (box->count() > 0) selectPosition(box, CInt(stored));
    } else if (!current.isEmpty()) {
        box->setCurrentIndex(box->findText(current));
    }
}

// The position, not the name, is what the choice remembers.
void Form1::Combo1_Click() { SaveSetting(platform.settings, Combo1Key, QString::number(Combo1->currentIndex())); }

QString GetDefaultPrinter(Platform& platform) {
    try {
        return platform.printers.defaultPrinter();
    } catch (const RuntimeError& e) {
        ReportPrinterError(platform, e);
    }
    return {};
}

// The scripting object's SetDefaultPrinter is the printing system's per-user default here. Never
// fails to its caller. The empty text names no printer: choosing nothing leaves the default alone.
bool SetDefaultPrinter(Platform& platform, const QString& name, bool showError) {
    bool done = false;
    if (!name.isEmpty()) {
        try {
            platform.printers.setDefaultPrinter(name);
            done = true;
        } catch (const std::exception&) {
        }
    }
    if (!done && showError) Inform(platform, QStringLiteral("Cannot set printer."));
    return done;
}

void RestoreDefaultPrinterOnClose(Form1& form) {
    if (RunUnderWay* run = RunUnderWay::on(form)) {
        try {
            run->releaseDefault(form.platform);
        } catch (const std::exception&) {
        }
    }
}
