#include "LinuxFileSystem.h"

#include <QFileInfo>

// Placeholder until the file system layer is written.
std::optional<QDateTime> LinuxFileSystem::lastModified(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return std::nullopt;
    return info.lastModified();
}
bool LinuxFileSystem::isOpenableFile(const QString&) { return false; }
std::optional<quint32> LinuxFileSystem::attributes(const QString&) { return std::nullopt; }
QStringList LinuxFileSystem::matchFiles(const QString&, const QString&) { return {}; }
QStringList LinuxFileSystem::subFolders(const QString&) { return {}; }
bool LinuxFileSystem::isRootFolder(const QString& path) { return path == QStringLiteral("/"); }
QString LinuxFileSystem::folderIdentity(const QString&) { return {}; }
bool LinuxFileSystem::entryExists(const QString&) { return false; }
bool LinuxFileSystem::removeFile(const QString&) { return false; }
