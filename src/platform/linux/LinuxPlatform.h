#pragma once
#include <memory>

#include "CupsPrinters.h"
#include "LinuxDialogs.h"
#include "LinuxFileSystem.h"
#include "LinuxRegistry.h"
#include "LinuxRuntime.h"
#include "LinuxSettings.h"
#include "LinuxShell.h"
#include "platform/Platform.h"

// This machine's implementations of the platform, owned together.
class LinuxPlatform {
public:
    LinuxPlatform();
    Platform& platform() { return platform_; }

private:
    LinuxDialogs dialogs_;
    LinuxSettings settings_;
    LinuxRegistry registry_;
    CupsPrinters printers_;
    std::unique_ptr<Office> office_;
    LinuxShell shell_;
    LinuxFileSystem files_;
    LinuxRuntime runtime_;
    Platform platform_;
};

