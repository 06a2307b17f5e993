// The breadth-first folder scan of the AddFolder module.
#include <QFile>
#include <QHash>
#include <QSet>

#include "runtime/Trap.h"
#include "engine/FolderScan.h"

namespace {
// This platform's limits in place of MAX_PATH: a path the system takes has fewer than 4096 bytes,
// a name at most 255.
constexpr qsizetype PathLimitBytes = 4096;
constexpr qsizetype NameLimitBytes = 255;

// Attribute values that keep the scan out of a folder: hidden + system + directory, with or
// without the reparse point (the folders the platform keeps for itself, see LinuxFileSystem).
bool isHiddenSystemFolder(const std::optional<quint32>& attributes) {
    return attributes && (*attributes == 22 || *attributes == 1046);
}

// One scan, level by level. Each level's folders are read once: the reading gives the files the
// adding loop takes and the folders of the next level.
class FolderScan {
public:
    FolderScan(Platform& platform, const QString& pattern)
        : platform_(platform), files_(platform.files), pattern_(pattern),
          trap_(platform, ScanProject + QStringLiteral(".AddFolder.GetSubDirectories2016")) {}
    ScannedFolders run(const QStringList& folders);

private:
    // A folder of a level, with what the reading that found it said of it.
    struct Pending {
        QString path;
        std::optional<quint32> attributes;
    };
    void read(Pending folder, ScannedFolders& result, QList<Pending>& next);
    void keepSubFolders(const QString& path, const FolderListing& listing, QList<Pending>& next);

    Platform& platform_;
    FileSystem& files_;
    QString pattern_;
    Trap trap_;
    QSet<FolderId> met_;  // every real folder the scan has entered or will enter, and those above
    QHash<FolderId, qsizetype> linksOfNext_;  // folders of the next level reached through a link
};

ScannedFolders FolderScan::run(const QStringList& folders) {
    ScannedFolders result;
    QList<Pending> level;
    for (const QString& folder : folders) {
        level.append({folder, std::nullopt});
        // A link up to a folder that holds the chosen one would lead the scan back into itself.
        for (const FolderId& id : files_.folderAndAncestors(folder)) met_.insert(id);
    }
    while (!level.isEmpty()) {  // [150] each level calls for the next
        QList<Pending> next;
        linksOfNext_.clear();
        for (Pending& folder : level)  // [106]
            if (!folder.path.isEmpty()) read(std::move(folder), result, next);
        level = std::move(next);
    }
    return result;
}

void FolderScan::read(Pending folder, ScannedFolders& result, QList<Pending>& next) {
    const QString& path = folder.path;
    std::optional<quint32>& attributes = folder.attributes;
    // [108] A folder found by a reading is known to be one. A given path that is none, or that is
    // too long [110], stays in the result and has no files.
    if (trap_.test(108, [&] {
            if (!attributes) attributes = files_.attributes(path);
            return !(attributes && (*attributes & Attr::Directory));
        }) ||
        trap_.test(110, [&] { return QFile::encodeName(path).size() >= PathLimitBytes; })) {
        result.addFolder(path);
        return;
    }
    bool root = false;
    trap_(112, [&] { root = files_.isRootFolder(path); });
    trap_(114, [&] { platform_.runtime.pumpMessages(); });
    // [116] Below a hidden and system folder nothing is visited; its own files still count when it
    // is one of the given folders.
    const bool descend = !trap_.test(116, [&] { return !root && isHiddenSystemFolder(attributes); });
    FolderListing listing;
    try {
        listing = files_.listFolder(path, pattern_);
        if (descend) keepSubFolders(path, listing, next);  // [118 to 136]
    } catch (const RuntimeError& error) {
        // [138 to 148] A folder that cannot be listed leaves the result silently, with everything
        // below it; any other failure keeps the folder and what was found, also without a message.
        if (descend && (error.number == Err::permissionDenied().number || error.number == Err::pathNotFound().number))
            return;
    } catch (const std::exception&) {
    }
    result.addFolder(path);
    for (const FolderListing::File& file : listing.files) result.addFile(file);
}

void FolderScan::keepSubFolders(const QString& path, const FolderListing& listing, QList<Pending>& next) {
    for (const FolderListing::Folder& sub : listing.folders) {
        platform_.runtime.pumpMessages();  // [120]
        const QString& name = sub.name;    // [122]
        // [124 to 130] A '?' is an ordinary character here; a name the system could not decode
        // shows U+FFFD, which HasUnsafeChars refuses.
        if (name.toUtf8().size() > NameLimitBytes || HasUnsafeChars(name) || name == QLatin1String(".") ||
            name == QLatin1String(".."))
            continue;
        // [152 to 160] A hidden and system folder is in no level of the result.
        if (isHiddenSystemFolder(sub.attributes)) continue;
        // Each real folder is entered once, under the first path that reaches it: a link back up,
        // across to a sibling or round a cycle would add the same files again and again. Within
        // one level the folder itself goes before a link to it, so its files keep their own paths.
        const bool link = sub.attributes & Attr::ReparsePoint;
        if (met_.contains(sub.identity)) {
            const auto first = linksOfNext_.constFind(sub.identity);
            if (link || first == linksOfNext_.constEnd()) continue;
            next[*first].path.clear();  // the link's place is given up
            linksOfNext_.erase(first);
        }
        met_.insert(sub.identity);
        if (link) linksOfNext_.insert(sub.identity, next.size());
        next.append({path + name + QLatin1Char('/'), sub.attributes});  // [132, 134]
    }
}
}  // namespace

QStringList ScannedFolders::folders() const {
    QStringList paths;
    for (const Folder& f : folders_) paths << f.path;
    return paths;
}

void ScannedFolders::addFolder(const QString& path) { folders_.append({path, files_.size(), files_.size()}); }

void ScannedFolders::addFile(const FolderListing::File& file) {
    files_ += QChar(file.plainHidden ? u'h' : u'f');
    files_ += file.name;
    files_ += QChar(0);
    folders_.last().filesTo = files_.size();
}

bool HasUnsafeChars(const QString& name) {
    for (const QChar c : name) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F) || c == QChar::ReplacementCharacter) return true;
    }
    return false;
}

ScannedFolders GetSubDirectories2016(Platform& platform, const QStringList& folders, const QString& pattern) {
    return FolderScan(platform, pattern).run(folders);
}
