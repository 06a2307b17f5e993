#include "LinuxFileSystem.h"

#include <QFile>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "platform/RuntimeError.h"

namespace {
QByteArray encoded(const QString& path) { return QFile::encodeName(path); }

// The name as text, and whether the text names the same bytes again.
QString decodedName(const char* bytes, bool* exact) {
    const QByteArray raw = QByteArray::fromRawData(bytes, qsizetype(std::strlen(bytes)));
    QString name = QString::fromUtf8(raw);
    *exact = !name.contains(QChar::ReplacementCharacter) || name.toUtf8() == raw;
    return name;
}

bool isDotOrDotDot(const char* name) { return name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])); }

bool onlySeparators(const QString& path) {
    return !path.isEmpty() && std::all_of(path.begin(), path.end(), [](QChar c) { return c == QLatin1Char('/'); });
}

// A path without its trailing separators; the root stays "/".
QString withoutTrailingSeparators(const QString& path) {
    if (onlySeparators(path)) return QStringLiteral("/");
    qsizetype end = path.size();
    while (end > 0 && path[end - 1] == QLatin1Char('/')) --end;
    return path.left(end);
}

QStringView lastName(const QString& path) { return QStringView(path).mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

bool isHiddenName(QStringView name) { return name.startsWith(u'.') && name != u"." && name != u".."; }

// Listing order: case-insensitive, names that differ only in case in a fixed order.
bool listedBefore(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

FolderId identityOf(const struct stat& st) { return {quint64(st.st_dev), quint64(st.st_ino)}; }

// Trash folders of the desktop's trash: ".Trash" (shared, one folder per user inside) and
// ".Trash-UID" at the top of a file system, and "Trash" in the user's data folder.
bool isTrashName(QStringView name) {
    if (name == u".Trash") return true;
    if (!name.startsWith(u".Trash-") || name.size() == 7) return false;
    return std::all_of(name.begin() + 7, name.end(), [](QChar c) { return c.isDigit(); });
}

bool isUsersTrash(const struct stat& folder) {
    struct stat trash {};
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return !data.isEmpty() && ::stat(encoded(data + QStringLiteral("/Trash")).constData(), &trash) == 0 &&
           identityOf(trash) == identityOf(folder);
}

// A folder the platform keeps for itself; `parentFd` is the folder that holds it.
bool keptByPlatform(QStringView name, const struct stat& folder, int parentFd) {
    if (isTrashName(name) || name == u"lost+found") return true;
    if (name == u"Trash") return isUsersTrash(folder);
    struct stat profile {};
    return name == u"backup" && ::fstatat(parentFd, "registrymodifications.xcu", &profile, 0) == 0 &&
           S_ISREG(profile.st_mode);
}

// `target` is what the entry leads to, or nothing for a dangling link.
quint32 attributeValue(bool link, const struct stat* target, QStringView name, bool kept) {
    quint32 value = 0;
    if (link) value |= Attr::ReparsePoint;
    if (target) {
        if (S_ISDIR(target->st_mode)) value |= Attr::Directory;
        else if (S_ISREG(target->st_mode)) value |= Attr::Archive;
        if (!(target->st_mode & S_IWUSR)) value |= Attr::ReadOnly;
    }
    if (isHiddenName(name)) value |= Attr::Hidden;
    if (kept) value |= Attr::Hidden | Attr::System;
    return value;
}

// What lstat and, for a link, stat say about a path. A trailing separator asks for a folder, as
// it does for the system: "file/" names nothing.
struct Entry {
    bool link = false;
    bool resolved = false;  // the entry, or the link's target, could be read
    struct stat target {};
};

std::optional<Entry> entryOf(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    const QString key = withoutTrailingSeparators(path);
    const QByteArray bytes = encoded(key);
    Entry entry;
    if (::lstat(bytes.constData(), &entry.target) != 0) return std::nullopt;
    entry.link = S_ISLNK(entry.target.st_mode);
    entry.resolved = !entry.link || ::stat(bytes.constData(), &entry.target) == 0;
    if (key.size() < path.size() && !(entry.resolved && S_ISDIR(entry.target.st_mode))) return std::nullopt;
    return entry;
}

// The classic runtime's numbers for a folder that cannot be listed.
RuntimeError listingError(int error) {
    switch (error) {
    case EACCES:
    case EPERM: return Err::permissionDenied();
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return Err::pathNotFound();
    default: return RuntimeError(75, QStringLiteral("Path/File access error"));
    }
}

struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

// The kernel's views of itself. devtmpfs reports tmpfs's number and is told apart by the mount table.
constexpr __fsword_t ConfigfsMagic = 0x62656570, FusectlMagic = 0x65735543, MqueueMagic = 0x19800202;
constexpr __fsword_t KernelViews[] = {
    PROC_SUPER_MAGIC, SYSFS_MAGIC,    DEVPTS_SUPER_MAGIC, CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, DEBUGFS_MAGIC,
    TRACEFS_MAGIC,    SECURITYFS_MAGIC, PSTOREFS_MAGIC,   BPF_FS_MAGIC,       ConfigfsMagic,       FusectlMagic,
    MqueueMagic,      HUGETLBFS_MAGIC, AUTOFS_SUPER_MAGIC, BINFMTFS_MAGIC,    EFIVARFS_MAGIC,      NSFS_MAGIC,
    SELINUX_MAGIC,    SMACK_MAGIC,     RDTGROUP_SUPER_MAGIC};

// The record getdents64 fills in.
struct DirEntry64 {
    ino64_t inode;
    off64_t next;
    unsigned short length;
    unsigned char type;
    char name[];
};
}  // namespace

Wildcard::Wildcard(const QString& pattern) : pattern_(pattern.toCaseFolded()) {
    if (pattern_.endsWith(QLatin1String(".*"))) {
        hasBareName_ = true;
        orBareName_ = pattern_.chopped(2);
    }
}

namespace {
// Greedy match with a return to the last "*": linear in practice, never exponential. The pattern
// is case-folded already; the name is folded a character at a time.
bool matchesFolded(QStringView pattern, QStringView name) {
    qsizetype p = 0, n = 0, starAt = -1, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || pattern[p] == name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starAt = p++;
            resumeAt = n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*')) ++p;
    return p == pattern.size();
}
}  // namespace

bool Wildcard::matches(const QString& name) const {
    return matchesFolded(pattern_, name) || (hasBareName_ && matchesFolded(orBareName_, name));
}

std::optional<QDateTime> LinuxFileSystem::lastModified(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(encoded(path).constData(), &st) != 0) return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
}

// Opening with no access rights succeeds for every entry the path reaches, so this is a look at
// the entry, not an open: nothing waits for the writer of a FIFO or touches a device.
bool LinuxFileSystem::isOpenableFile(const QString& path) {
    const auto entry = entryOf(path);
    return entry && entry->resolved && S_ISREG(entry->target.st_mode);
}

std::optional<quint32> LinuxFileSystem::attributes(const QString& path) {
    const auto entry = entryOf(path);
    if (!entry) return std::nullopt;
    const QString bare = withoutTrailingSeparators(path);
    const QStringView name = lastName(bare);
    bool kept = false;
    if (entry->resolved && S_ISDIR(entry->target.st_mode) && !name.isEmpty()) {
        const QString parent = bare.left(bare.size() - name.size());
        const QByteArray parentBytes = parent.isEmpty() ? QByteArray(".") : encoded(parent);
        const Fd parentFd{::open(parentBytes.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC)};
        kept = keptByPlatform(name, entry->target, parentFd.fd);
    }
    return attributeValue(entry->link, entry->resolved ? &entry->target : nullptr, name, kept);
}

bool LinuxFileSystem::isDevtmpfs(dev_t device) {
    auto known = devtmpfs_.constFind(device);
    if (known != devtmpfs_.constEnd()) return *known;
    // "36 25 0:6 / /dev rw,relatime shared:2 - devtmpfs udev rw": the device, then the type after " - ".
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (table.open(QIODevice::ReadOnly))
        for (const QByteArray& line : table.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            const qsizetype dash = fields.indexOf("-");
            const QList<QByteArray> numbers = fields.value(2).split(':');
            if (dash < 0 || numbers.size() != 2) continue;
            devtmpfs_.insert(makedev(numbers[0].toUInt(), numbers[1].toUInt()), fields.value(dash + 1) == "devtmpfs");
        }
    return devtmpfs_.value(device, false);
}

bool LinuxFileSystem::isKernelView(int folderFd) {
    struct statfs fs {};
    if (::fstatfs(folderFd, &fs) != 0) return false;
    if (std::find(std::begin(KernelViews), std::end(KernelViews), fs.f_type) != std::end(KernelViews)) return true;
    struct stat st {};
    return fs.f_type == TMPFS_MAGIC && ::fstat(folderFd, &st) == 0 && isDevtmpfs(st.st_dev);
}

// Reads the folder's entries in one pass and asks the system about an entry only where its type
// does not tell enough: folders (for their identity and mode), links and entries of unknown type,
// and hidden files (whose read-only bit decides whether they are plain hidden).
FolderListing LinuxFileSystem::listFolder(const QString& folder, const QString& pattern) {
    const Fd dir{::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd < 0) throw listingError(errno);
    if (isKernelView(dir.fd)) throw Err::permissionDenied();
    const Wildcard wildcard(pattern);
    FolderListing listing;
    entries_.resize(64 * 1024);
    for (;;) {
        const ssize_t filled = ::getdents64(dir.fd, entries_.data(), entries_.size());
        if (filled < 0) throw listingError(errno);
        if (filled == 0) break;
        for (ssize_t at = 0; at < filled;) {
            const auto* entry = reinterpret_cast<const DirEntry64*>(entries_.data() + at);
            at += entry->length;
            if (isDotOrDotDot(entry->name)) continue;
            const unsigned char type = entry->type;
            if (type != DT_DIR && type != DT_REG && type != DT_LNK && type != DT_UNKNOWN) continue;
            bool exact = false;
            const QString name = decodedName(entry->name, &exact);
            const bool hidden = isHiddenName(name);
            if (type == DT_REG && !(exact && wildcard.matches(name))) continue;
            struct stat st {};
            bool link = false;
            if (type == DT_REG && !hidden) {
                st.st_mode = S_IFREG;  // only a hidden file's read-only bit matters
            } else {
                if (type != DT_DIR) {
                    if (::fstatat(dir.fd, entry->name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone since
                    link = S_ISLNK(st.st_mode);
                }
                if ((type == DT_DIR || link) && ::fstatat(dir.fd, entry->name, &st, 0) != 0) continue;  // or dangling
            }
            if (S_ISDIR(st.st_mode)) {
                const bool kept = keptByPlatform(name, st, dir.fd);
                listing.folders.append({name, attributeValue(link, &st, name, kept), identityOf(st)});
            } else if (S_ISREG(st.st_mode) && exact && (type == DT_REG || wildcard.matches(name))) {
                listing.files.append({name, hidden && !link && (st.st_mode & S_IWUSR)});
            }
        }
    }
    const auto byName = [](const auto& a, const auto& b) { return listedBefore(a.name, b.name); };
    std::sort(listing.folders.begin(), listing.folders.end(), byName);
    std::sort(listing.files.begin(), listing.files.end(), byName);
    return listing;
}

// Up through ".." rather than along the path's text, so links and mounts on the way count as the
// folders they lead to.
QList<FolderId> LinuxFileSystem::folderAndAncestors(const QString& path) {
    QList<FolderId> chain;
    if (path.isEmpty()) return chain;
    int fd = ::open(encoded(path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    while (fd >= 0) {
        const Fd current{fd};
        struct stat st {};
        if (::fstat(current.fd, &st) != 0 || (!chain.isEmpty() && chain.constLast() == identityOf(st))) break;
        chain << identityOf(st);
        fd = ::openat(current.fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    }
    return chain;
}

bool LinuxFileSystem::isRootFolder(const QString& path) { return onlySeparators(path); }

bool LinuxFileSystem::entryExists(const QString& path) { return entryOf(path).has_value(); }

// A link that stands for a folder is a folder here and stays, as a folder does.
