#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString ProgramFolder() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString installed = QDir::cleanPath(exeDir + QStringLiteral("/../") + QStringLiteral(QUORVANE_INSTALL_PROGRAM_DIR));
    return QFileInfo(installed).isDir() ? installed : exeDir;
}
