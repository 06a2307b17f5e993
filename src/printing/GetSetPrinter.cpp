#include "GetSetPrinter.h"

#include "app/Form1.h"

void FillPrinterList(Form1&) {}
QString GetDefaultPrinter(Platform&) { return {}; }
bool SetDefaultPrinter(Platform&, const QString&, bool) { return false; }
void RestoreDefaultPrinterOnClose(Form1&) {}
void Form1::Combo1_Click() {}
