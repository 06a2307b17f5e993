#include "LinuxPlatform.h"

LinuxPlatform::LinuxPlatform()
    : office_(machine_.newOffice()),
      files_(machine_.newFileSystem()),
      platform_(machine_.with(dialogs_, shell_, *office_, *files_)) {}
