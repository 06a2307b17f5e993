#pragma once
#include <QStringList>

// The system's printers as the user sees them, by name.
class Printers {
public:
    virtual ~Printers() = default;
    // Names of the installed printers, in the platform's order. Throws RuntimeError when unreachable.
    virtual QStringList installedPrinters() = 0;
    // The user's default printer's name; the empty text when none is the default.
    // Throws RuntimeError when the printing system cannot be asked.
    virtual QString defaultPrinter() = 0;
    // Makes the named printer the user's default; the empty text removes the user's default.
    // Throws RuntimeError on failure (unknown printer, printing system unreachable).
    virtual void setDefaultPrinter(const QString& name) = 0;
    // How many of this user's jobs on the named printer are not finished yet (pending, held or
    // printing). Throws RuntimeError when the printer is unknown or the printing system unreachable.
    virtual int unfinishedJobs(const QString& name) = 0;
};
