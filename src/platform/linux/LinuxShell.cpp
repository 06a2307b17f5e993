#include "LinuxShell.h"

#include <QDesktopServices>
#include <QUrl>

#include "DesktopFolder.h"

void LinuxShell::execute(QObject*, const QString& file, const QString&, int) {
    QString target = file;
    if (target.size() >= 2 && target.startsWith(QLatin1Char('"')) && target.endsWith(QLatin1Char('"')))
        target = target.mid(1, target.size() - 2);
    const QUrl url = target.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(target) : QUrl(target);
    QDesktopServices::openUrl(url);
}

void LinuxShell::changeNotify(long, unsigned) {}

QString LinuxShell::desktopFolder() { return DesktopFolder(); }
