#pragma once
#include <QDateTime>
#include <QStringList>
#include <optional>

// File attribute bits as the program compares them (see LinuxFileSystem for the mapping).
namespace Attr {
constexpr quint32 ReadOnly = 1, Hidden = 2, System = 4, Directory = 16, Archive = 32, ReparsePoint = 1024;
}

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
    // Names of the files (not folders) in folder that match the wildcard pattern, case-insensitively,
    // hidden ones included, sorted case-insensitively. Nothing on a missing or unreadable folder.
    virtual QStringList matchFiles(const QString& folder, const QString& pattern) = 0;
    // Names of the subfolders of folder, sorted case-insensitively like the file listings.
    // Throws Err::permissionDenied() or Err::pathNotFound() when it cannot be listed.
    virtual QStringList subFolders(const QString& folder) = 0;
    // True for the root of a file system tree ("/").
    virtual bool isRootFolder(const QString& path) = 0;
    // An identity of the real folder behind path (device and inode); empty when unknown.
    virtual QString folderIdentity(const QString& path) = 0;
    // True when an entry of exactly this path exists, folders included.
    virtual bool entryExists(const QString& path) = 0;
    // Deletes a file; false on failure.
    virtual bool removeFile(const QString& path) = 0;
};
