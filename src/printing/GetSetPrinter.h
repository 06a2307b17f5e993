#pragma once
#include <QString>
#include <optional>

#include "platform/Platform.h"

class Form1;

// Fills the printer box with the installed printers and restores the chosen one.
void FillPrinterList(Form1& form);
// The name of the current default printer; the empty text when it cannot be read (after a message).
QString GetDefaultPrinter(Platform& platform);
// The same, but nothing when it could not be read, so that nobody "restores" a default it never knew.
std::optional<QString> ReadDefaultPrinter(Platform& platform);
// Makes the named printer the default; false on failure, with a message when showError is true.
bool SetDefaultPrinter(Platform& platform, const QString& name, bool showError);
// Puts back a default printer read by GetDefaultPrinter, silently. Having no default is a normal
// state here, so an empty name removes the user's default again.
void RestoreDefaultPrinter(Platform& platform, const QString& saved);
// When a run is under way, puts back the default printer it found at its start.
void RestoreDefaultPrinterOnClose(Form1& form);
