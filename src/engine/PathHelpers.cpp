#include "PathHelpers.h"

#include "platform/RuntimeError.h"

namespace {
// Pairs of separators, left to right and without overlap, become one, in a single pass.
QString collapsePairs(QStringView text) {
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(u"//"); at >= 0; at = text.indexOf(u"//", from)) {
        out.append(text.mid(from, at + 1 - from));
        from = at + 2;
    }
    out.append(text.mid(from));
    return out;
}
}  // namespace

// Most paths hold nothing to collapse and come back as they are, without a copy.
QString NormalizePath(const QString& path) {
    const bool doubled = path.contains(u"//");
    if (!path.startsWith(QLatin1Char('/'))) return doubled ? collapsePairs(path) : path;
    if (!doubled) return path;
    qsizetype k = 0;
    while (k < path.size() && path[k] == QLatin1Char('/')) ++k;
    return QLatin1Char('/') + collapsePairs(QStringView(path).mid(k));
}

bool IsExistingFile(FileSystem& files, const QString& path) { return files.isOpenableFile(path); }

bool IsFolder(FileSystem& files, const QString& path) {
    const auto attributes = files.attributes(path);
    return attributes && (*attributes & Attr::Directory);
}

// The listing gives only files that IsExistingFile takes: regular files, links followed.
QStringList ListFolderFiles(FileSystem& files, QString folder, const QString& pattern) {
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    QStringList names;
    try {
        for (const FolderListing::File& file : files.listFolder(folder, pattern).files) names << file.name;
    } catch (const RuntimeError&) {
        // a folder that cannot be listed has no files to give
    }
    return names;
}

QString GetFileName(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

QString RemoveExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot >= 1 ? path.left(dot) : path;
}

