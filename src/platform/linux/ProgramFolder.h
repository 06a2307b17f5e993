#pragma once
#include <QString>

// The folder of the optional files: <prefix>/share/quorvane for an installed program,
// else the executable's own folder.
QString ProgramFolder();
