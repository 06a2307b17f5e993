#include "PDFprint.h"

#include <QDir>

#include "runtime/Trap.h"
#include "runtime/Inform.h"
#include "engine/PdfNames.h"
#include "printing/modRegStuff.h"

QString OutputFolder;

namespace {
// No folder chosen since the start (the printer box was switched to the PDF printer during a
// run, or the folder text was emptied): the folder window's own default, not the root. The text is
// free: "~" is the home folder, and a relative folder lies below it, not below whatever folder the
// program was started in (where KillFile would delete files).
QString outputFolderOrDefault(Platform& platform) {
    if (OutputFolder.isEmpty()) return DefaultPdfFolder(platform);
    if (OutputFolder == QStringLiteral("~") || OutputFolder.startsWith(QStringLiteral("~/")))
        return QDir::homePath() + OutputFolder.mid(1);
    if (!OutputFolder.startsWith(QLatin1Char('/'))) return QDir::homePath() + QLatin1Char('/') + OutputFolder;
    return OutputFolder;
}

// The folder the user confirmed may not exist yet (many accounts have no desktop folder): the PDF
// printer writes only into an existing folder, so it is made here, with the user's rights.
void makeFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        throw RuntimeError(76, QStringLiteral("Path not found: the folder \"%1\" does not exist and cannot be created.").arg(folder));
}

const QString PdfKey = QStringLiteral("Software\\") + PdfPrinterName;
const QString JobValuePrefix = QStringLiteral("OutputFile.");

// Values of jobs that are over are of no use and could catch a later job of the same number.
void forgetFinishedJobs(Platform& platform, RegistryKey& key) {
    for (const QString& name : key.valueNames()) {
        if (!name.startsWith(JobValuePrefix, Qt::CaseInsensitive)) continue;
        bool number = false;
        const int id = name.mid(JobValuePrefix.size()).toInt(&number);
        bool over = !number;
        try {
            over = over || platform.printers.job(id, PdfPrinterName).finished();
        } catch (const RuntimeError&) {
            over = true;  // the printing system no longer knows it
        }
        if (over) key.deleteValue(name);
    }
}
}  // namespace

QString DefaultPdfFolder(Platform& platform) { return platform.shell.desktopFolder() + QLatin1Char('/'); }

void CheckPdfPrinter(Platform& platform) {
    if (platform.printers.installedPrinters().contains(PdfPrinterName)) return;
    const QString crlf = QStringLiteral("\r\n");
    Inform(platform,
           PdfPrinterName + QStringLiteral(" is not installed. Please follow these instructions:") + crlf + crlf +
               QStringLiteral("1) Go to Control Panel -> Printers and Faxes to add a local printer.") + crlf +
               QStringLiteral("2) Choose ''CPW2: (") + PdfPrinterName +
               QStringLiteral(")'' on Select a Printer Port dialog box, click Next.") + crlf +
               QStringLiteral("3) Choose a Postscript printer (e.g. HP Color LaserJet PS), click Next.") + crlf +
               QStringLiteral("4) Enter ") + PdfPrinterName + QStringLiteral(" as Printer name, click Next -> Finish."));
}

QString CreatePDF_File(Platform& platform, const QString& baseName, qint32 ordinal, QSet<QString>& keep) {
    Trap trap(platform, MainProject + QStringLiteral(".PDFprint.CreatePDF_File"));
    QString name, folder, path;
    trap(100, [&] { name = CleanPdfName(baseName); });
    trap(132, [&] { name = TrimSpaces(name); });
    if (trap.test(134, [&] { return name.isEmpty(); }))
        trap(136, [&] { name = PrintOutName(platform.runtime.now(), ordinal); });
    // A folder that cannot be made still names the file, so that the report says where it would have been.
    trap(138, [&] {
        folder = outputFolderOrDefault(platform);
        makeFolder(folder);
    });
    trap(140, [&] {
        path = PdfPath(folder, name, keep);
        keep.insert(path);
    });
    // The key is a registry key, not a path: its separator stays the registry's own.
    std::unique_ptr<RegistryKey> key;
    trap(142, [&] { key = RegCreateKeyEx(platform, PdfKey); });
    // Without the file name written, "1" would tell the printer to wait for a job that is not to be
    // written anywhere; "0" makes it keep the job under a new name of its own.
    bool named = false;
    trap(144, [&] { named = RegSetValueEx(key.get(), QStringLiteral("OutputFile"), path); });
    trap(148, [&] {
        RegSetValueEx(key.get(), QStringLiteral("BypassSaveAs"), named ? QStringLiteral("1") : QStringLiteral("0"));
    });
    trap(152, [&] { RegCloseKey(key); });
    // An older file at the path is not deleted here: the printer replaces it with a whole PDF, and a
    // document that then fails to print leaves it as it was.
    trap(156, [&] { NotifyShellOfChange(platform); });
    trap(158, [&] { platform.runtime.sleep(1000); });
    return path;
}

void BindPdfJob(Platform& platform, const SentJob* job, const QString& path) {
    const std::unique_ptr<RegistryKey> key = RegCreateKeyEx(platform, PdfKey);
    if (!key) throw RuntimeError(70, QStringLiteral("Permission denied: the PDF printer's values cannot be written."));
    const bool bound = !job || key->setString(JobValuePrefix + QString::number(job->id), path);
    const bool ended = key->setString(QStringLiteral("BypassSaveAs"), QStringLiteral("0"));
    if (!bound || !ended)
        throw RuntimeError(70, QStringLiteral("Permission denied: the PDF printer's values cannot be written."));
    forgetFinishedJobs(platform, *key);
}

// A PDF that never came out (a folder the user may not write, say) is a failure, not a success; the
// printing system keeps the PDF printer's reason with the job.
void WaitForPdf(Platform& platform, const SentJob& job, const QString& path) {
    const PrintJob done = WaitUntilFinished(platform, job);
    if (!done.finished()) return;  // waits on a stopped printer: written when it goes on
    if (done.state == PrintJob::State::Completed && platform.files.isOpenableFile(path)) return;
    const QString reason = done.reason.isEmpty() ? QStringLiteral("the PDF printer gave no reason") : done.reason;
    throw RuntimeError(75, QStringLiteral("The PDF file \"%1\" was not written: %2").arg(path, reason));
}
