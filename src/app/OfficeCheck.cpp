#include "OfficeCheck.h"

#include "runtime/AppTitle.h"
#include "app/Form1.h"
#include "runtime/Trap.h"

namespace {
QString officeMissingText() {
    const QString crlf = QStringLiteral("\r\n"), cr = QStringLiteral("\r");
    return QStringLiteral("Error 214878392") + crlf + crlf +
           QStringLiteral("OpenOffice is required to run this software. It is not installed on this computer.") + cr +
           cr + QStringLiteral("Woud you like to open this site now?") + crlf + crlf +
           QStringLiteral("(If you think this error is a mistake and you have OpenOffice installed, please email a "
                          "screenshot of this error message and a screenshot of the OpenOffice 'About' window to ") +
           SupportAddress + QStringLiteral(")");
}
}  // namespace

void CheckOfficeInstalled(Form1& form) {
    Platform& p = form.platform;
    try {
        if (p.office.createServiceManager()) return;  // released at once
    } catch (const std::exception&) {
        // Any failure to reach the office means it is not there.
    }
    const Answer answer = p.dialogs.messageBox(nullptr, {officeMissingText(), AppTitle(), Buttons::YesNo, Icon::None});
    if (answer == Answer::Yes)
        p.shell.execute(&form, QLatin1Char('"') + OfficeDownloadPage + QLatin1Char('"'), QStringLiteral("/"), 5);
    p.office.shutdown();
    p.runtime.endProgram();
}
