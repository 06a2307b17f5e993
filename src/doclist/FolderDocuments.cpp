#include "FolderDocuments.h"

#include "doclist/AddFolder.h"
#include "doclist/PathHelpers.h"

QStringList FolderDocuments(Platform& platform, const QString& folder, const QString& extension) {
    FileSystem& files = platform.files;
    QStringList folders{folder + QLatin1Char('/')};
    GetSubDirectories2016(platform, folders, true);
    QStringList documents;
    for (QString found : folders) {
        found.chop(1);
        for (const QString& name : ListFolderFiles(files, found, QStringLiteral("*.") + extension)) {
            if (name.startsWith(QLatin1Char('~'))) continue;
            const QString path = found + QLatin1Char('/') + name;
            if (IsExistingFile(files, path) && files.attributes(path) != 34u) documents << NormalizePath(path);
        }
    }
    return documents;
}
