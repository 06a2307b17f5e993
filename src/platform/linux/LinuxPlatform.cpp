#include "LinuxPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "OfficeLoader.h"

QString ProgramFolder() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString installed = QDir::cleanPath(exeDir + QStringLiteral("/../") + QStringLiteral(QUORVANE_INSTALL_PROGRAM_DIR));
    return QFileInfo(installed).isDir() ? installed : exeDir;
}

LinuxPlatform::LinuxPlatform()
    : office_(LoadOffice(ProgramFolder())),
      platform_{dialogs_, settings_, registry_, printers_, *office_, shell_, files_, runtime_, ProgramFolder()} {}
