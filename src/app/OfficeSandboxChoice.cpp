#include "OfficeSandboxChoice.h"

#include <cstdio>

#include "runtime/Settings.h"

void ChooseOfficeSandbox(Platform& platform, const QString& problem) {
    if (GetSetting(platform.settings, UnsafeOfficeSetting) == QStringLiteral("1")) {
        platform.office.runUnsandboxed();
        std::fprintf(stderr, "quorvane: UNSAFE: %s=1: the office runs without its sandbox and may reach the network and "
                             "read every file you can; documents can copy them into what is printed.\n",
                     qUtf8Printable(UnsafeOfficeSetting));
    } else if (!problem.isEmpty()) {
        std::fprintf(stderr, "quorvane: the office cannot be sandboxed here (%s), and Quorvane prints no document "
                             "without it. To print anyway (UNSAFE for documents you did not write), set %s=1 in the "
                             "[%s] section of ~/.config/%s.ini.\n",
                     qUtf8Printable(problem), qUtf8Printable(UnsafeOfficeSetting), qUtf8Printable(SettingsSection),
                     qUtf8Printable(SettingsApp));
    }
}
