#include "PrintRun.h"

#include <QDateTime>
#include <QSet>
#include <QUrl>
#include <cmath>

#include "app/Form1.h"
#include "app/Trap.h"
#include "doclist/PathHelpers.h"
#include "printing/Form2.h"
#include "printing/GetSetPrinter.h"
#include "printing/Inform.h"
#include "printing/PDFprint.h"
#include "printing/Pause.h"
#include "printing/Writer.h"

namespace {
// Runs never nest: the Printing flag turns a second start away.
RunUnderWay* runUnderWay = nullptr;

bool pdfPrinterChosen(const Form1& form) { return form.Combo1->currentText() == PdfPrinterName; }

// The documents of the list are never replaced by a PDF of the run.
void keepListedDocuments(const Form1& form, QSet<QString>& keep) {
    for (int i = 1; i <= form.ListView1->count(); ++i) keep.insert(form.ListView1->entryText(i));
}

// One document: steps 118 to 172 of the run. Every step reports its own failure and the pass goes on.
void printPass(Form1& form, Trap& trap, int position, QSet<QString>& keep) {
    Platform& p = form.platform;
    QString path, pdf;
    QDateTime pdfSince;
    bool listed = false;
    trap(118, [&] {
        path = form.ListView1->entryText(position);
        listed = true;
    });
    // The list was shortened during the run: nothing is left to print at this position.
    if (!listed) return;
    trap(120, [&] {
        form.ProgressBar1->setValue(int(std::floor(double(position) / double(form.ListView1->count()) * 100.0)));
    });
    trap(122, [&] { SetProgressText(form.ProgressBar1, QStringLiteral("Processing: ") + GetFileName(path)); });
    trap(124, [&] { p.runtime.pumpMessages(); });
    trap(126, [&] { form.MousePointer.setMode(vbHourglass); });
    trap(130, [&] { p.runtime.sleep(1000); });
    trap(132, [&] { SetDefaultPrinter(p, form.Combo1->currentText(), false); });
    trap(134, [&] { p.runtime.sleep(1000); });
    trap(136, [&] { NotifyShellOfChange(p); });
    trap(138, [&] { form.repaint(); });
    if (trap.test(140, [&] { return pdfPrinterChosen(form); }))
        trap(142, [&] {
            keepListedDocuments(form, keep);
            pdfSince = QDateTime::currentDateTime();  // file times follow the real clock
            pdf = CreatePDF_File(p, GetFileName(RemoveExtension(path)), position, keep);
        });

    std::shared_ptr<OfficeObject> serviceManager, desktop, document, dispatcher, frame;
    trap(144, [&] { serviceManager = p.office.createServiceManager(); });
    trap(146, [&] { desktop = Use(serviceManager).createInstance(QStringLiteral("com.sun.star.frame.Desktop")); });
    trap(148, [&] {
        const QList<PropertyValue> hidden{NewPropertyValue(p, QStringLiteral("Hidden"), true)};
        document = Use(desktop).loadComponentFromURL(FileUrl(path), QStringLiteral("_blank"), 0, hidden);
    });
    trap(150, [&] {
        dispatcher = Use(serviceManager).createInstance(QStringLiteral("com.sun.star.frame.DispatchHelper"));
    });
    trap(154, [&] { frame = Use(Use(document).getCurrentController()).getFrame(); });
    trap(156, [&] { Use(dispatcher).executeDispatch(Use(frame), QStringLiteral(".uno:PrintDefault"), {}, 0, {}); });
    trap(158, [&] { WaitSeconds(p, 1); });
    if (trap.test(160, [&] { return pdfPrinterChosen(form); })) {
        trap(162, [&] { WaitSeconds(p, 1); });
        // The PDF printer chosen in mid-pass has been told no file: there is nothing to wait for.
        if (!pdf.isEmpty()) trap(162, [&] { WaitForPdf(p, form.Combo1->currentText(), pdf, pdfSince); });
    }
    if (trap.test(164, [&] { return NumberFromText(form.Text2->text()).has_value(); }))
        trap(166, [&] { WaitSeconds(p, CInt(form.Text2->text())); });
    trap(168, [&] { Use(document).close(true); });
    trap(170, [&] { document.reset(); });
    trap(172, [&] { WaitSeconds(p, 1); });
}
}  // namespace

RunUnderWay::RunUnderWay(const Form1& form) : form_(form) { runUnderWay = this; }

RunUnderWay::~RunUnderWay() { runUnderWay = nullptr; }

RunUnderWay* RunUnderWay::on(const Form1& form) {
    return runUnderWay && &runUnderWay->form_ == &form ? runUnderWay : nullptr;
}

// The classic address was "file:///" and the path; here the path brings its own leading '/'.
// A path of several leading separators is the same file with one, and never a host name.
QString FileUrl(const QString& path) {
    qsizetype start = 0;
    while (start < path.size() && path[start] == QLatin1Char('/')) ++start;
    return QUrl::fromLocalFile(QLatin1Char('/') + path.mid(start)).toString(QUrl::FullyEncoded);
}

// A word joiner after the '%' keeps the bar from reading a placeholder and shows nothing itself.
void SetProgressText(QProgressBar* bar, const QString& text) {
    QString format = text;
    for (qsizetype i = format.size() - 2; i >= 0; --i)
        if (format[i] == QLatin1Char('%') && QStringLiteral("pvm").contains(format[i + 1]))
            format.insert(i + 1, QChar(0x2060));
    bar->setFormat(format);
}

void Form1::PushButton2_Click() {
    Trap trap(platform, MainProject + QStringLiteral(".Form1.PushButton2_Click"));
    if (trap.test(100, [&] { return Printing; })) return;
    RunUnderWay run(*this);
    trap(102, [&] { Printing = true; });
    if (trap.test(104, [&] { return ListView1->count() == 0; })) {
        trap(186, [&] { Inform(platform, QStringLiteral("No files added.")); });
    } else {
        int pointerFound = vbDefault;  // a run started during a folder scan leaves it busy
        trap(106, [&] { pointerFound = MousePointer.markBusy(); });
        trap(108, [&] { run.savedPrinter = ReadDefaultPrinter(platform); });
        trap(110, [&] { SetDefaultPrinter(platform, Combo1->currentText(), false); });
        if (trap.test(112, [&] { return pdfPrinterChosen(*this); }))
            trap(114, [&] { Form2(platform, this).ShowModal(); });
        int count = 0;
        trap(116, [&] { count = ListView1->count(); });
        QSet<QString> keep;
        for (int position = 1; position <= count; ++position) printPass(*this, trap, position, keep);
        // A default that could not be read at the start is not "restored" to none.
        trap(176, [&] {
            if (run.savedPrinter) RestoreDefaultPrinter(platform, *run.savedPrinter);
            run.savedPrinter.reset();
        });
        trap(178, [&] { MousePointer.setMode(pointerFound); });
        trap(180, [&] { ProgressBar1->setValue(0); });
        trap(182, [&] { ProgressBar1->setFormat(QStringLiteral("Progress Bar")); });
        trap(184, [&] { Inform(platform, QStringLiteral("Done.")); });
    }
    trap(188, [&] { Printing = false; });
}
