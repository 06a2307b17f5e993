#pragma once
#include <QString>

#include "platform/Platform.h"

// The setting with which a user runs the office without its sandbox: "1" in the settings file.
inline const QString UnsafeOfficeSetting = QStringLiteral("UnsafeOfficeWithoutSandbox");

// Before the office first starts: the user's choice of the unsafe way is passed on, and said on
// standard error, as is a sandbox that cannot be had here (`problem`; the office then does not start,
// and the program says the office is missing).
void ChooseOfficeSandbox(Platform& platform, const QString& problem);
