#pragma once
#include <QString>

#include "platform/Platform.h"

// True when the last change time of the named file or folder can be read; never fails.
bool PathExists(Platform& platform, const QString& path);
