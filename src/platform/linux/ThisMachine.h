#pragma once
#include <memory>

#include "CupsPrinters.h"
#include "LinuxFileSystem.h"
#include "LinuxRegistry.h"
#include "LinuxRuntime.h"
#include "LinuxSettings.h"
#include "OfficeLoader.h"
#include "platform/Platform.h"

// This machine's platform, for both programs: the parts without state, shared by everyone; offices and
// file systems (which remember their last listing) made anew for each user of them; the dialogs and
// the shell brought by the program, which has windows or has none.
class ThisMachine {
public:
    // An office of its own: a private office process on a profile no other office uses.
    std::unique_ptr<Office> newOffice() const;
    std::unique_ptr<FileSystem> newFileSystem() const { return std::make_unique<LinuxFileSystem>(); }
    Platform with(Dialogs& dialogs, Shell& shell, Office& office, FileSystem& files);

private:
    LinuxSettings settings_;
    LinuxRegistry registry_;
    CupsPrinters printers_;
    LinuxRuntime runtime_;
};
