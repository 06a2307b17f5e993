#pragma once
#include <QString>

#include "platform/Platform.h"

class Form1;

// Fills the printer box with the installed printers and restores the chosen one.
void FillPrinterList(Form1& form);
// The name of the current default printer; the empty text when it cannot be read (after a message).
QString GetDefaultPrinter(Platform& platform);
// Makes the named printer the default; false on failure, with a message when showError is true.
bool SetDefaultPrinter(Platform& platform, const QString& name, bool showError);
// When a run is under way, puts back the default printer it found at its start.
void RestoreDefaultPrinterOnClose(Form1& form);
