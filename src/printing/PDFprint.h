#pragma once
#include <QSet>
#include <QString>

#include "platform/Platform.h"
#include "engine/ConfirmJob.h"

inline const QString PdfPrinterName = QStringLiteral("Vendrell PDF Writer");

// The folder the PDF files go to; the output folder window sets it when it closes.
extern QString OutputFolder;

// The folder window's default folder: the user's desktop folder with a trailing separator.
// Throws RuntimeError when the desktop folder is unknown.
QString DefaultPdfFolder(Platform& platform);

// Tells the user how to install the PDF printer when it is missing.
void CheckPdfPrinter(Platform& platform);

// Prepares the PDF of one document: its path goes to the PDF printer's registry values, which tell the
// printer that a job of this run is on its way. An older file at the path stays until the new PDF
// replaces it whole. `keep` holds the paths this run must not replace (the PDFs it has already
// written, the documents it prints); the path chosen is added to it and returned.
QString CreatePDF_File(Platform& platform, const QString& baseName, qint32 ordinal, QSet<QString>& keep);

// Ties the document's job, when there is one, to its PDF: the printer writes that job, and no other,
// to path, however late it gets to it. Ends the "on its way" of CreatePDF_File either way, so that
// the next job of any other program goes to the printer's own folder.
void BindPdfJob(Platform& platform, const SentJob* job, const QString& path);

// Waits until the PDF printer has finished the job. Throws RuntimeError, with the printing system's
// reason, when the PDF did not come out; a job that waits on a stopped printer is not waited for.
void WaitForPdf(Platform& platform, const SentJob& job, const QString& path);
