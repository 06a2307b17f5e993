#include "PDFprint.h"

#include <QDir>

#include "app/Trap.h"
#include "doclist/PathHelpers.h"
#include "printing/Inform.h"
#include "printing/modRegStuff.h"

QString OutputFolder;

namespace {
const QString PdfSuffix = QStringLiteral(".pdf");
// The classic cut of the whole path to 251 characters kept it within the path limit; here the limit
// that matters is 255 bytes for one name, so the name is cut to fit with its ".pdf".
constexpr qsizetype NameBytes = 255;

// Characters a file name cannot hold on the systems the PDFs travel to become blanks; quotes, '#'
// and line breaks go.
QString cleanName(QString name) {
    for (const QChar c : QStringLiteral("<>/\\*:?|")) name.replace(c, QLatin1Char(' '));
    for (const QChar c : QStringLiteral("'\"#\r\n")) name.remove(c);
    return name;
}

// Leading and trailing spaces only, as the classic Trim.
QString trimSpaces(const QString& text) {
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == QLatin1Char(' ')) ++first;
    while (last > first && text[last - 1] == QLatin1Char(' ')) --last;
    return text.mid(first, last - first);
}

// The longest start of text that takes at most `bytes` bytes in UTF-8, cut between characters.
QString fitBytes(const QString& text, qsizetype bytes) {
    qsizetype used = 0, end = 0;
    while (end < text.size()) {
        const qsizetype length = text[end].isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
        const qsizetype size = QStringView(text).mid(end, length).toUtf8().size();
        if (used + size > bytes) break;
        used += size;
        end += length;
    }
    return text.left(end);
}

// folder/name.pdf with the name cut so that it fits one file name; a path in `keep` gets the
// next free "name (2).pdf", "name (3).pdf"...
QString pdfPath(const QString& folder, const QString& name, const QSet<QString>& keep) {
    for (int copy = 1;; ++copy) {
        const QString mark = copy == 1 ? QString() : QStringLiteral(" (%1)").arg(copy);
        const qsizetype room = NameBytes - PdfSuffix.size() - mark.toUtf8().size();
        const QString path = NormalizePath(folder + QLatin1Char('/') + fitBytes(name, room) + mark + PdfSuffix);
        if (!keep.contains(path)) return path;
    }
}

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
    trap(100, [&] { name = cleanName(baseName); });
    trap(132, [&] { name = trimSpaces(name); });
    if (trap.test(134, [&] { return name.isEmpty(); }))
        trap(136, [&] {
            name = QStringLiteral("PrintOut") + platform.runtime.now().toString(QStringLiteral("yyyyMMddhhmmss")) +
                   QString::number(ordinal);
        });
    trap(138, [&] { folder = outputFolderOrDefault(platform); });
    trap(140, [&] {
        path = pdfPath(folder, name, keep);
        keep.insert(path);
    });
    // The key is a registry key, not a path: its separator stays the registry's own.
    std::unique_ptr<RegistryKey> key;
    trap(142, [&] { key = RegCreateKeyEx(platform, QStringLiteral("Software\\") + PdfPrinterName); });
    // Without the file name written, "1" would send the job to the name of an earlier document
    // and replace its PDF; "0" makes the printer keep it under a new name of its own.
    bool named = false;
    trap(144, [&] { named = RegSetValueEx(key.get(), QStringLiteral("OutputFile"), path); });
    trap(148, [&] {
        RegSetValueEx(key.get(), QStringLiteral("BypassSaveAs"), named ? QStringLiteral("1") : QStringLiteral("0"));
    });
    trap(152, [&] { RegCloseKey(key); });
    trap(154, [&] { KillFile(platform, path); });
    trap(156, [&] { NotifyShellOfChange(platform); });
    trap(158, [&] { platform.runtime.sleep(1000); });
    return path;
}

// The PDF printer reads its two values when it processes a job, not when the job is sent: the next
// document's values must wait until this job is done, or its PDF lands under the next name. And a
// PDF that never came out (a folder the user may not write, say) is a failure, not a success.
// A file the old one could not be removed from is not the new PDF: it must be younger than the job.
void WaitForPdf(Platform& platform, const QString& printer, const QString& path, const QDateTime& since) {
    constexpr int StepMs = 250, QuietMs = 3000, LimitMs = 120000;
    // File times have whole-second resolution on some file systems.
    const QDateTime notBefore = since.addSecs(-1);
    for (int waited = 0;; waited += StepMs) {
        const bool busy = platform.printers.unfinishedJobs(printer) > 0;
        const auto changed = platform.files.lastModified(path);
        const bool written = changed && *changed >= notBefore && platform.files.isOpenableFile(path);
        if (!busy && written) return;
        if (!busy && waited >= QuietMs)
            throw RuntimeError(75, QStringLiteral("The PDF file \"%1\" was not written; the printing system's log "
                                                  "tells why.").arg(path));
        if (waited >= LimitMs)
            throw RuntimeError(75, QStringLiteral("The PDF printer has not finished \"%1\" within %2 seconds.")
                                       .arg(path).arg(LimitMs / 1000));
        platform.runtime.waitWithEvents(StepMs);
    }
}

// Deleting a file here needs write permission on its folder only, so the forced second attempt
// of the classic version (for read-only files) has nothing left to do.
void KillFile(Platform& platform, const QString& path) {
    platform.runtime.pumpMessages();
    platform.files.removeFile(path);
}
