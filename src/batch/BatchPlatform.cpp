#include "BatchPlatform.h"

#include <cstdio>

#include "platform/linux/DesktopFolder.h"

Answer ConsoleDialogs::messageBox(QObject*, const MessageBoxRequest& request) {
    QString text = request.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(request.caption), qUtf8Printable(text));
    return request.buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
}

QString ConsoleShell::desktopFolder() { return DesktopFolder(); }
