#pragma once
#include <memory>

#include "platform/Office.h"

// The office bridge lives in a plugin loaded at run time, so the program starts (and says that
// the office is missing) on a machine without the office's UNO runtime.
std::unique_ptr<Office> LoadOffice(const QString& pluginFolder);
