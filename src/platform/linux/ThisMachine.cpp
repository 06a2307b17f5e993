#include "ThisMachine.h"

#include "ProgramFolder.h"

std::unique_ptr<Office> ThisMachine::newOffice() const { return LoadOffice(ProgramFolder()); }

Platform ThisMachine::with(Dialogs& dialogs, Shell& shell, Office& office, FileSystem& files) {
    return {dialogs, settings_, registry_, printers_, office, shell, files, runtime_, ProgramFolder()};
}
