#pragma once
// The main window on this machine's platform, loaded as at a start, with the pause at zero.
#include "RealPlatform.h"
#include "app/Form1.h"

struct PrintWindow {
    RealPlatform real;
    Form1 form{real.platform};
    PrintWindow() {
        form.Form_Load();
        real.dialogs.messages.clear();  // start-up's note that the private scheduler has no PDF printer
        form.Text2->setText(QStringLiteral("0"));
    }
    // Runs the documents on the printer; the run's messages.
    QStringList print(const QStringList& paths, const QString& printer) {
        for (const QString& path : paths) AppendEntry(form.ListView1, path);
        form.Combo1->setCurrentText(printer);
        form.PushButton2_Click();
        return real.dialogs.texts();
    }
};
