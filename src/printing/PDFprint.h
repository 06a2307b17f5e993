#pragma once
#include <QString>

#include "platform/Platform.h"

inline const QString PdfPrinterName = QStringLiteral("Vendrell PDF Writer");

// Tells the user how to install the PDF printer when it is missing.
void CheckPdfPrinter(Platform& platform);
