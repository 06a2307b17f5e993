#pragma once
#include <QString>
#include <optional>

#include "platform/Platform.h"
#include "runtime/Numbers.h"

// Returns when that many seconds have passed, at once for 0 or less; every handler can run meanwhile.
void WaitSeconds(Platform& platform, int seconds);
