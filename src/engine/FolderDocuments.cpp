#include "FolderDocuments.h"

#include "engine/FolderScan.h"
#include "engine/PathHelpers.h"

QStringList FolderDocuments(Platform& platform, const QString& folder, const QString& extension) {
    const ScannedFolders scanned = GetSubDirectories2016(platform, {folder + QLatin1Char('/')}, QStringLiteral("*.") + extension);
    QStringList documents;
    for (qsizetype i = 0; i < scanned.size(); ++i) {
        const QString& path = scanned.folder(i);
        scanned.forEachFile(i, [&](QStringView name, bool plainHidden) {
            if (!name.startsWith(u'~') && !plainHidden) documents << NormalizePath(path + name.toString());
        });
    }
    return documents;
}
