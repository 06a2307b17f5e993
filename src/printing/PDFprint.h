#pragma once
#include <QDateTime>
#include <QSet>
#include <QString>

#include "platform/Platform.h"

inline const QString PdfPrinterName = QStringLiteral("Vendrell PDF Writer");

// The folder the PDF files go to; the output folder window sets it when it closes.
extern QString OutputFolder;

// The folder window's default folder: the user's desktop folder with a trailing separator.
// Throws RuntimeError when the desktop folder is unknown.
QString DefaultPdfFolder(Platform& platform);

// Tells the user how to install the PDF printer when it is missing.
void CheckPdfPrinter(Platform& platform);

// Prepares the PDF of one document: its path goes to the PDF printer's registry values and any
// older file there is removed. `keep` holds the paths this run must not replace (the PDFs it has
// already written, the documents it prints); the path chosen is added to it and returned.
QString CreatePDF_File(Platform& platform, const QString& baseName, qint32 ordinal, QSet<QString>& keep);

// Waits until the PDF printer has finished this user's jobs and a PDF written since `since` stands
// at path. Throws RuntimeError when it did not come out.
void WaitForPdf(Platform& platform, const QString& printer, const QString& path, const QDateTime& since);

// Deletes a file; never fails, never reports.
void KillFile(Platform& platform, const QString& path);
