#pragma once
#include <memory>

#include "LinuxDialogs.h"
#include "LinuxShell.h"
#include "ThisMachine.h"

// The window's platform: this machine with its desktop's dialogs and shell, and one office.
class LinuxPlatform {
public:
    LinuxPlatform();
    Platform& platform() { return platform_; }

private:
    ThisMachine machine_;
    LinuxDialogs dialogs_;
    LinuxShell shell_;
    std::unique_ptr<Office> office_;
    std::unique_ptr<FileSystem> files_;
    Platform platform_;
};
