#pragma once
#include <memory>

#include "platform/Platform.h"
#include "platform/linux/ThisMachine.h"

// The command has no windows: what the shared code would show in a box goes to standard error, and
// questions get no answer.
class ConsoleDialogs : public Dialogs {
public:
    Answer messageBox(QObject* owner, const MessageBoxRequest& request) override;
    QString inputBox(QObject*, const QString&, const QString&, const QString&) override { return {}; }
    QString showOpen(QObject*, const OpenFileRequest&) override { return {}; }
    QString browseForFolder(QObject*, const QString&, const QString&) override { return {}; }
};

// Nor does it open anything on a desktop.
class ConsoleShell : public Shell {
public:
    void execute(QObject*, const QString&, const QString&, int) override {}
    void changeNotify(long, unsigned) override {}
    QString desktopFolder() override;
};

// This machine's platform for the command: the parts without state are shared by all its offices;
// each office's thread brings its office and its file system.
class BatchPlatform {
public:
    std::unique_ptr<Office> newOffice() const { return machine_.newOffice(); }
    std::unique_ptr<FileSystem> newFileSystem() const { return machine_.newFileSystem(); }
    Platform with(Office& office, FileSystem& files) { return machine_.with(dialogs_, shell_, office, files); }
    // For the work before the offices start: finding the printer and the documents.
    Platform withoutOffice() { return with(noOffice_, *files_); }

private:
    ThisMachine machine_;
    UnreachableOffice noOffice_;
    ConsoleDialogs dialogs_;
    ConsoleShell shell_;
    std::unique_ptr<FileSystem> files_ = machine_.newFileSystem();
};
