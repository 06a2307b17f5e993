#pragma once
#include <QString>

// The user's default printer: what the window's run switches and puts back.
class DefaultPrinterSetting {
public:
    virtual ~DefaultPrinterSetting() = default;
    // The user's default printer's name; the empty text when none is the default.
    // Throws RuntimeError when the printing system cannot be asked.
    virtual QString defaultPrinter() = 0;
    // Makes the named printer the user's default; the empty text removes the user's default.
    // Throws RuntimeError on failure (unknown printer, printing system unreachable).
    virtual void setDefaultPrinter(const QString& name) = 0;
    // The default printer is the user's, shared with every other program and window of the user. The
    // first of this user's runs that switch it keeps the user's own setting exactly as it was (a
    // queue, an instance of one, or none of the user's own); the last one to end puts it back.
    // Throws RuntimeError when the setting cannot be read or kept.
    virtual void holdUserDefault() = 0;
    virtual void releaseUserDefault() = 0;
};
