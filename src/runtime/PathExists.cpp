#include "PathExists.h"

bool PathExists(Platform& platform, const QString& path) { return platform.files.lastModified(path).has_value(); }
