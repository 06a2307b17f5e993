#include <QApplication>
#include <QStyleFactory>

#include "app/Form1.h"
#include "app/NoDisplay.h"
#include "app/OfficeSandboxChoice.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/OfficeSandbox.h"

int main(int argc, char** argv) {
    // The program chooses the default printer itself; these would override that choice unseen.
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
    NoDisplayLine noDisplay;
    QApplication app(argc, argv);
    noDisplay.opened();
    // The desktop entry's name, so that the desktop ties the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUORVANE_APP_ID));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    LinuxPlatform machine;
    Platform& platform = machine.platform();
    ChooseOfficeSandbox(platform, SandboxProblem());

    Form1 form(platform);
    form.Form_Load();
    form.show();
    const int code = QApplication::exec();
    platform.office.shutdown();
    return code;
}
