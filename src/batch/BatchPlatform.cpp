#include "BatchPlatform.h"

#include <cstdio>

#include "platform/linux/DesktopFolder.h"
#include "platform/linux/ProgramFolder.h"
#include "platform/linux/OfficeLoader.h"

Answer ConsoleDialogs::messageBox(QWidget*, const MessageBoxRequest& request) {
    QString text = request.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(request.caption), qUtf8Printable(text));
    return request.buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
}

QString ConsoleShell::desktopFolder() { return DesktopFolder(); }

std::unique_ptr<Office> BatchPlatform::newOffice() const { return LoadOffice(ProgramFolder()); }

Platform BatchPlatform::with(Office& office, FileSystem& files) {
    return {dialogs_, settings_, registry_, printers_, office, shell_, files, runtime_, ProgramFolder()};
}
