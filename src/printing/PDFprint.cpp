#include "PDFprint.h"

void CheckPdfPrinter(Platform&) {}
