#pragma once
#include "platform/FileSystem.h"

class LinuxFileSystem : public FileSystem {
public:
    std::optional<QDateTime> lastModified(const QString& path) override;
    bool isOpenableFile(const QString& path) override;
    std::optional<quint32> attributes(const QString& path) override;
    QStringList matchFiles(const QString& folder, const QString& pattern) override;
    QStringList subFolders(const QString& folder) override;
    bool isRootFolder(const QString& path) override;
    QString folderIdentity(const QString& path) override;
    bool entryExists(const QString& path) override;
    bool removeFile(const QString& path) override;
};
