#include "CupsPrinters.h"

// Placeholder until the CUPS layer is written.
QStringList CupsPrinters::installedPrinters() { return {}; }
QString CupsPrinters::defaultPrinter() { return {}; }
void CupsPrinters::setDefaultPrinter(const QString&) {}
