#pragma once
#include <QHash>
#include <sys/types.h>
#include <vector>

#include "platform/FileSystem.h"

// This machine's file system in the terms the program compares.
// Attributes: directory 16; reparse point 1024 for a symbolic link (plus its target's directory,
// archive and read-only bits); hidden 2 when the name begins with "."; read-only 1 when the owner
// lacks write permission; archive 32 for a regular file. System 4 never stands alone: the folders
// the platform keeps for itself are hidden + system, as Windows marks its recycle bin, so folder
// scans neither list nor enter them: trash folders (".Trash" and ".Trash-UID" of any file system,
// the user's own "Trash" in the data folder), "lost+found", and the office's backup folder in a
// profile (the "backup" beside a "registrymodifications.xcu").
// File systems that are the kernel's views rather than storage (proc, sysfs, devtmpfs, cgroup and
// the like) are never listed: they hold link cycles, endless trees and files that are no documents.
// A file is a regular file after following links: FIFOs, sockets and devices are never opened.
// Listings ignore letter case in the wildcard, "*.*" matches every name, and names come sorted
// case-insensitively, the order NTFS lists them in. Names are UTF-8; bytes that are not valid
// UTF-8 come back as U+FFFD, so such a name names no entry (as a name the code page could not
// express fails to open on Windows).
class LinuxFileSystem : public FileSystem {
public:
    std::optional<QDateTime> lastModified(const QString& path) override;
    bool isOpenableFile(const QString& path) override;
    std::optional<quint32> attributes(const QString& path) override;
    FolderListing listFolder(const QString& folder, const QString& pattern) override;
    QList<FolderId> folderAndAncestors(const QString& path) override;
    bool isRootFolder(const QString& path) override;
    bool entryExists(const QString& path) override;

private:
    bool isKernelView(int folderFd);
    bool isDevtmpfs(dev_t device);

    std::vector<char> entries_;        // the buffer one listing reads its entries into
    QHash<dev_t, bool> devtmpfs_;      // by device, from the mount table
};

// A case-insensitive wildcard: "*" any run, "?" one character; a trailing ".*" also matches a
// name that ends where the dot would be, so "*.*" matches every name, also one without a dot.
class Wildcard {
public:
    explicit Wildcard(const QString& pattern);
    bool matches(const QString& name) const;

private:
    QString pattern_;      // case-folded
    QString orBareName_;   // the pattern without its trailing ".*", or empty
    bool hasBareName_ = false;
};
