#pragma once
#include <memory>

#include "platform/Platform.h"
#include "platform/linux/CupsPrinters.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxRegistry.h"
#include "platform/linux/LinuxRuntime.h"
#include "platform/linux/LinuxSettings.h"
#include "platform/linux/OfficeLoader.h"

// The command has no windows: what the shared code would show in a box goes to standard error, and
// questions get no answer.
class ConsoleDialogs : public Dialogs {
public:
    Answer messageBox(QWidget* owner, const MessageBoxRequest& request) override;
    QString inputBox(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString showOpen(QWidget*, const OpenFileRequest&) override { return {}; }
    QString browseForFolder(QWidget*, const QString&, const QString&) override { return {}; }
};

// Nor does it open anything on a desktop.
class ConsoleShell : public Shell {
public:
    void execute(QWidget*, const QString&, const QString&, int) override {}
    void changeNotify(long, unsigned) override {}
    QString desktopFolder() override;
};

// This machine's platform for the command: the parts without state are shared by all its offices;
// each office's thread brings its office and its file system (which remembers its last listing).
class BatchPlatform {
public:
    // An office of its own: a private office process on a profile no other office uses.
    std::unique_ptr<Office> newOffice() const;
    Platform with(Office& office, FileSystem& files);
    // For the work before the offices start: finding the printer and the documents.
    Platform withoutOffice() { return with(noOffice_, files_); }

private:
    UnreachableOffice noOffice_;
    ConsoleDialogs dialogs_;
    LinuxSettings settings_;
    LinuxRegistry registry_;
    CupsPrinters printers_;
    ConsoleShell shell_;
    LinuxFileSystem files_;
    LinuxRuntime runtime_;
};
