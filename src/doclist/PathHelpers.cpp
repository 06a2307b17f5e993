#include "PathHelpers.h"

#include "doclist/ListView.h"

namespace {
QString collapsePairs(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == QLatin1Char('/') && i + 1 < text.size() && text[i + 1] == QLatin1Char('/')) ++i;
    }
    return out;
}
}  // namespace

QString NormalizePath(const QString& path) {
    if (!path.startsWith(QLatin1Char('/'))) return collapsePairs(path);
    qsizetype k = 0;
    while (k < path.size() && path[k] == QLatin1Char('/')) ++k;
    return QLatin1Char('/') + collapsePairs(path.mid(k));
}

bool IsExistingFile(FileSystem& files, const QString& path) { return files.isOpenableFile(path); }

bool IsFolder(FileSystem& files, const QString& path) {
    const auto attributes = files.attributes(path);
    return attributes && (*attributes & Attr::Directory);
}

QStringList ListFolderFiles(FileSystem& files, QString folder, const QString& pattern) {
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    QStringList names;
    for (const QString& name : files.matchFiles(folder, pattern))
        if (IsExistingFile(files, folder + name)) names << name;
    return names;
}

QString GetFileName(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

QString RemoveExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot >= 1 ? path.left(dot) : path;
}

bool ListContains(const ListView* list, const QString& text) {
    for (int i = 1; i <= list->count(); ++i)
        if (list->entryText(i) == text) return true;
    return false;
}
