#include "LinuxPlatform.h"

#include "OfficeLoader.h"
#include "ProgramFolder.h"

LinuxPlatform::LinuxPlatform()
    : office_(LoadOffice(ProgramFolder())),
      platform_{dialogs_, settings_, registry_, printers_, *office_, shell_, files_, runtime_, ProgramFolder()} {}
