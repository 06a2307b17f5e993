#include "DesktopFolder.h"

#include <QStandardPaths>

#include "platform/RuntimeError.h"

QString DesktopFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (folder.isEmpty()) throw Err::pathNotFound();
    return folder;
}
