#include "DocumentUrl.h"

#include <QFileInfo>
#include <QUrl>

QString DocumentUrl(const QString& url) {
    if (!url.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) return url;
    QString path = url.mid(5);
    while (path.startsWith(QStringLiteral("//"))) path.remove(0, 1);
    if (!path.startsWith(QLatin1Char('/')) || !QFileInfo::exists(path)) return url;
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}
