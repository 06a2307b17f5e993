#pragma once
#include <QDateTime>
#include <QHashFunctions>
#include <QList>
#include <QStringList>
#include <optional>

// File attribute bits as the program compares them (see LinuxFileSystem for the mapping).
namespace Attr {
constexpr quint32 ReadOnly = 1, Hidden = 2, System = 4, Directory = 16, Archive = 32, ReparsePoint = 1024;
}

// The real folder behind a path (device and inode), whatever links or mounts lead to it.
struct FolderId {
    quint64 device = 0, inode = 0;
    friend bool operator==(const FolderId&, const FolderId&) = default;
};
inline size_t qHash(const FolderId& id, size_t seed = 0) { return qHashMulti(seed, id.device, id.inode); }

// What one reading of a folder finds, each kind sorted like the wildcard listings.
struct FolderListing {
    struct Folder {
        QString name;
        quint32 attributes = 0;
        FolderId identity;
    };
    struct File {
        QString name;
        // The attribute value is exactly hidden + archive (34): a hidden file that is neither
        // read-only nor a link. Only this value matters to the callers, and it is known without
        // asking the system about every file.
        bool plainHidden = false;
    };
    QList<Folder> folders;  // links to folders included
    QList<File> files;      // regular files (links followed) whose names match the pattern
};

// The file system, as far as the program looks at it. Paths use '/'.
class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Last change of a file or folder; nothing on any failure.
    virtual std::optional<QDateTime> lastModified(const QString& path) = 0;
    // True when path names a regular file (links followed) that can be opened; never blocks.
    virtual bool isOpenableFile(const QString& path) = 0;
    // The attribute value of a file or folder; nothing when it cannot be read.
    virtual std::optional<quint32> attributes(const QString& path) = 0;
    // Reads a folder once: its subfolders, and its files whose names match the wildcard pattern
    // case-insensitively, hidden ones included. Throws Err::permissionDenied() or
    // Err::pathNotFound() when it cannot be listed; a folder of a file system that the platform
    // keeps for itself (proc, sysfs and the like) is never listed and counts as denied.
    virtual FolderListing listFolder(const QString& folder, const QString& pattern) = 0;
    // The real folder behind path, then every folder that holds it, up to the root; nothing when
    // path names no folder.
    virtual QList<FolderId> folderAndAncestors(const QString& path) = 0;
    // True for the root of a file system tree ("/").
    virtual bool isRootFolder(const QString& path) = 0;
    // True when an entry of exactly this path exists, folders included.
    virtual bool entryExists(const QString& path) = 0;
};
