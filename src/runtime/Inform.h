#pragma once
#include <QString>

#include "runtime/AppTitle.h"
#include "platform/Platform.h"

// An information box: OK only, no icon, the application title as caption.
inline void Inform(Platform& platform, const QString& text) {
    platform.dialogs.messageBox(nullptr, {text, AppTitle(), Buttons::Ok, Icon::None});
}

// The shell's "associations changed" notification (SHCNE_ASSOCCHANGED, flags 0, no items). Nothing
// listens for it here; the platform takes the call all the same.
inline void NotifyShellOfChange(Platform& platform) { platform.shell.changeNotify(0x08000000, 0); }
