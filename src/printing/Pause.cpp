#include "Pause.h"

#include "app/Form1.h"
#include "runtime/Settings.h"
#include "runtime/Trap.h"
#include "runtime/Inform.h"

void WaitSeconds(Platform& platform, int seconds) {
    if (seconds <= 0) return;
    platform.runtime.waitWithEvents(seconds * 1000);
}

void Form1::Text2_Change() { SaveSetting(platform.settings, QStringLiteral("Text2"), Text2->text()); }

void Form1::PushButton11_Click() {
    Trap trap(platform, MainProject + QStringLiteral(".Form1.PushButton11_Click"));
    trap(100, [&] {
        Inform(platform, QStringLiteral("Please use this feature to slow down the printing process if you are "
                                        "receiving error messages or errors in the printouts themselves."));
    });
}
