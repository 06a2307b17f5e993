#pragma once
#include <QElapsedTimer>
#include <QHash>
#include <sys/types.h>

#include "platform/FileSystem.h"

// This machine's file system in the terms the program compares.
// Attributes: directory 16; reparse point 1024 for a symbolic link (plus its target's directory,
// archive and read-only bits); hidden 2 when the name begins with "."; read-only 1 when the owner
// lacks write permission; archive 32 for a regular file; system 4 never.
// A file is a regular file after following links: FIFOs, sockets and devices are never opened.
// Listings ignore letter case in the wildcard, "*.*" matches every name, and names come sorted
// case-insensitively, the order NTFS lists them in. Names are UTF-8; bytes that are not valid
// UTF-8 come back as U+FFFD, so such a name names no entry (as a name the code page could not
// express fails to open on Windows).
class LinuxFileSystem : public FileSystem {
public:
    // A listing remembers what it learnt about the entries it listed for this long, because the
    // callers ask two or three questions about every file right after listing it, and one system
    // call per question costs more than the listing itself. 0 asks the system every time.
    static constexpr int DefaultListingLifetimeMs = 50;
    explicit LinuxFileSystem(int listingLifetimeMs = DefaultListingLifetimeMs);

    std::optional<QDateTime> lastModified(const QString& path) override;
    bool isOpenableFile(const QString& path) override;
    std::optional<quint32> attributes(const QString& path) override;
    QStringList matchFiles(const QString& folder, const QString& pattern) override;
    QStringList subFolders(const QString& folder) override;
    bool isRootFolder(const QString& path) override;
    QString folderIdentity(const QString& path) override;
    bool entryExists(const QString& path) override;
    bool removeFile(const QString& path) override;

private:
    // What one lstat (and, for a link, one stat) says about an entry.
    struct Facts {
        bool link = false;      // the entry itself is a symbolic link
        bool resolved = false;  // the entry, or the link's target, could be read
        mode_t mode = 0;        // of the target
        dev_t device = 0;
        ino_t inode = 0;
    };
    std::optional<Facts> factsOf(const QString& path);
    std::optional<Facts> rememberedFacts(const QString& key, bool mustBeFolder);
    void startListing(const QString& folder);
    void remember(const QString& name, const Facts& facts);
    void forgetListing();

    int listingLifetimeMs_;
    QElapsedTimer listedAt_;
    QString listedFolder_;  // "<folder>/" of the remembered names
    QStringList listedNames_;
    QHash<QStringView, Facts> listed_;  // by name, viewing listedNames_
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
