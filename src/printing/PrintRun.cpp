#include "PrintRun.h"

#include <QSet>
#include <cmath>
#include <optional>

#include "app/Form1.h"
#include "runtime/Trap.h"
#include "engine/PathHelpers.h"
#include "printing/Form2.h"
#include "printing/GetSetPrinter.h"
#include "engine/ConfirmJob.h"
#include "engine/DocumentLoader.h"
#include "engine/OutsideContent.h"
#include "runtime/Inform.h"
#include "printing/PDFprint.h"
#include "printing/RunUnderWay.h"
#include "printing/Pause.h"
#include "engine/Writer.h"

namespace {
bool pdfPrinterChosen(const Form1& form) { return form.Combo1->currentText() == PdfPrinterName; }

// The documents of the list are never replaced by a PDF of the run.
void keepListedDocuments(const Form1& form, QSet<QString>& keep) {
    for (int i = 1; i <= form.ListView1->count(); ++i) keep.insert(form.ListView1->entryText(i));
}

// The printer a pass prints on: the one chosen, or with none chosen the default printer of the moment.
QString printerOfPass(Form1& form) {
    const QString chosen = form.Combo1->currentText();
    return chosen.isEmpty() ? form.platform.printers.defaultPrinter() : chosen;
}

// One document: steps 118 to 172 of the run. Every step reports its own failure and the pass goes on.
// The document counts as printed when the printing system has its job on the chosen printer; a job
// the printing system did not take is reported at the print command's step, 156.
void printPass(Form1& form, Trap& trap, const RunUnderWay& run, int position, QSet<QString>& keep) {
    Platform& p = form.platform;
    QString path, pdf, printer;
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
    trap(132, [&] {
        if (run.holdsDefault) SetDefaultPrinter(p, form.Combo1->currentText(), false);
    });
    trap(134, [&] { p.runtime.sleep(1000); });
    trap(136, [&] { NotifyShellOfChange(p); });
    trap(138, [&] { form.repaint(); });
    if (trap.test(140, [&] { return pdfPrinterChosen(form); }))
        trap(142, [&] {
            keepListedDocuments(form, keep);
            pdf = CreatePDF_File(p, GetFileName(RemoveExtension(path)), position, keep);
        });
    // The office prints on this pass's printer, whatever another window makes the default meanwhile,
    // and never on another one: a printer that is gone loses no document to a fallback.
    bool routed = false;
    trap(144, [&] {
        printer = printerOfPass(form);
        p.office.setTargetQueue(QueueToPrintOn(p, GetFileName(path), printer));
        routed = true;
    });
    if (!routed) {
        if (!pdf.isEmpty()) trap(142, [&] { BindPdfJob(p, nullptr, pdf); });
        return;
    }

    std::shared_ptr<OfficeObject> serviceManager, desktop, document, dispatcher, frame;
    std::optional<SentJob> job;
    int newestBefore = 0;
    trap(144, [&] { serviceManager = p.office.createServiceManager(); });
    trap(146, [&] { desktop = Use(serviceManager).createInstance(QStringLiteral("com.sun.star.frame.Desktop")); });
    trap(148, [&] {
        document = DocumentLoader(p).load(Use(desktop), path);
        WarnOfOutsideContent(path, p.office.sandboxed());
    });
    trap(150, [&] {
        dispatcher = Use(serviceManager).createInstance(QStringLiteral("com.sun.star.frame.DispatchHelper"));
    });
    trap(154, [&] { frame = Use(Use(document).getCurrentController()).getFrame(); });
    trap(156, [&] {
        newestBefore = p.printers.newestJobId();
        Use(dispatcher).executeDispatch(Use(frame), QStringLiteral(".uno:PrintDefault"), {}, 0, {});
        job = ConfirmJob(p, Use(document), GetFileName(path), printer, newestBefore);
    });
    if (!pdf.isEmpty()) trap(156, [&] { BindPdfJob(p, job ? &*job : nullptr, pdf); });
    if (job) trap(156, [&] { ReportWaitingJob(p, *job, GetFileName(path)); });
    trap(158, [&] { WaitSeconds(p, 1); });
    if (trap.test(160, [&] { return pdfPrinterChosen(form); })) {
        trap(162, [&] { WaitSeconds(p, 1); });
        // Only a PDF of this pass's own job can be waited for.
        if (job && !pdf.isEmpty()) trap(162, [&] { WaitForPdf(p, *job, pdf); });
    }
    if (trap.test(164, [&] { return NumberFromText(form.Text2->text()).has_value(); }))
        trap(166, [&] { WaitSeconds(p, CInt(form.Text2->text())); });
    trap(168, [&] { Use(document).close(true); });
    trap(170, [&] { document.reset(); });
    trap(172, [&] { WaitSeconds(p, 1); });
}
}  // namespace

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
        trap(108, [&] {
            GetDefaultPrinter(platform);  // says so when the default cannot be read
            platform.printers.holdUserDefault();
            run.holdsDefault = true;
        });
        // Without the record of the user's own default setting nothing could put it back: the run then
        // leaves the default alone (step 108 has said why) and prints on the chosen printer all the same.
        trap(110, [&] {
            if (run.holdsDefault) SetDefaultPrinter(platform, Combo1->currentText(), false);
        });
        if (trap.test(112, [&] { return pdfPrinterChosen(*this); }))
            trap(114, [&] { Form2(platform, this).ShowModal(); });
        int count = 0;
        trap(116, [&] { count = ListView1->count(); });
        QSet<QString> keep;
        for (int position = 1; position <= count; ++position) printPass(*this, trap, run, position, keep);
        // The user's own default setting comes back exactly, once no other window's run still
        // switches it; a setting that could not be kept at the start is not "restored" to anything.
        // Restoring never fails visibly here; a setting that could not be put back is said once the
        // run is over.
        std::optional<QString> notRestored;
        trap(176, [&] {
            try {
                run.releaseDefault(platform);
            } catch (const RuntimeError& e) {
                notRestored = e.description;
            }
        });
        // The busy mark stays while an operation the run was started in (a folder scan) still runs.
        trap(178, [&] { MousePointer.setMode(pointerFound == vbHourglass ? vbHourglass : vbDefault); });
        trap(180, [&] { ProgressBar1->setValue(0); });
        trap(182, [&] { ProgressBar1->setFormat(QStringLiteral("Progress Bar")); });
        trap(184, [&] { Inform(platform, QStringLiteral("Done.")); });
        if (notRestored)
            trap(184, [&] { Inform(platform, QStringLiteral("The default printer could not be put back: ") + *notRestored); });
    }
    trap(188, [&] { Printing = false; });
}
