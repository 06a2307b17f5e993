#include "LinuxFileSystem.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
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

bool namesHiddenEntry(const QString& path) {
    QStringView bare(path);
    while (bare.size() > 1 && bare.endsWith(u'/')) bare.chop(1);
    const QStringView name = bare.mid(bare.lastIndexOf(u'/') + 1);
    return name.startsWith(u'.') && name != u"." && name != u"..";
}

// Listing order: case-insensitive, names that differ only in case in a fixed order.
bool listedBefore(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

Dir openFolder(const QString& folder) {
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    DIR* dir = fdopendir(fd);
    if (!dir) ::close(fd);
    return Dir(dir);
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

LinuxFileSystem::LinuxFileSystem(int listingLifetimeMs) : listingLifetimeMs_(listingLifetimeMs) {}

void LinuxFileSystem::startListing(const QString& folder) {
    forgetListing();
    listedFolder_ = withoutTrailingSeparators(folder);
    if (!listedFolder_.endsWith(QLatin1Char('/'))) listedFolder_ += QLatin1Char('/');
    listedAt_.start();
}

void LinuxFileSystem::forgetListing() {
    listed_.clear();
    listedNames_.clear();
}

void LinuxFileSystem::remember(const QString& name, const Facts& facts) {
    if (listingLifetimeMs_ <= 0) return;
    listedNames_ << name;  // keeps the text the key views
    listed_.insert(QStringView(listedNames_.constLast()), facts);
}

std::optional<LinuxFileSystem::Facts> LinuxFileSystem::rememberedFacts(const QString& key, bool mustBeFolder) {
    if (listed_.isEmpty() || key.size() <= listedFolder_.size() || !key.startsWith(listedFolder_))
        return std::nullopt;
    if (listedAt_.elapsed() >= listingLifetimeMs_) {
        forgetListing();
        return std::nullopt;
    }
    const QStringView name = QStringView(key).mid(listedFolder_.size());
    if (name.contains(u'/')) return std::nullopt;
    const auto it = listed_.constFind(name);
    if (it == listed_.constEnd() || (mustBeFolder && !S_ISDIR(it->mode))) return std::nullopt;
    return *it;
}

// A trailing separator asks for a folder, as it does for the system: "file/" names nothing.
std::optional<LinuxFileSystem::Facts> LinuxFileSystem::factsOf(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    const QString key = withoutTrailingSeparators(path);
    const bool mustBeFolder = key.size() < path.size();
    if (auto remembered = rememberedFacts(key, mustBeFolder)) return remembered;

    const QByteArray bytes = encoded(key);
    struct stat st {};
    if (::lstat(bytes.constData(), &st) != 0) return std::nullopt;
    Facts facts;
    facts.link = S_ISLNK(st.st_mode);
    if (facts.link) facts.resolved = ::stat(bytes.constData(), &st) == 0;
    else facts.resolved = true;
    if (facts.resolved) {
        facts.mode = st.st_mode;
        facts.device = st.st_dev;
        facts.inode = st.st_ino;
    }
    if (mustBeFolder && !(facts.resolved && S_ISDIR(facts.mode))) return std::nullopt;
    return facts;
}

std::optional<QDateTime> LinuxFileSystem::lastModified(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(encoded(path).constData(), &st) != 0) return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
}

// Opening with no access rights succeeds for every entry the path reaches, so this is a look at
// the entry, not an open: nothing waits for the writer of a FIFO or touches a device.
bool LinuxFileSystem::isOpenableFile(const QString& path) {
    const auto facts = factsOf(path);
    return facts && facts->resolved && S_ISREG(facts->mode);
}

std::optional<quint32> LinuxFileSystem::attributes(const QString& path) {
    const auto facts = factsOf(path);
    if (!facts) return std::nullopt;
    quint32 value = 0;
    if (facts->link) value |= Attr::ReparsePoint;
    if (facts->resolved) {
        if (S_ISDIR(facts->mode)) value |= Attr::Directory;
        else if (S_ISREG(facts->mode)) value |= Attr::Archive;
        if (!(facts->mode & S_IWUSR)) value |= Attr::ReadOnly;
    }
    if (namesHiddenEntry(path)) value |= Attr::Hidden;
    return value;
}

QStringList LinuxFileSystem::matchFiles(const QString& folder, const QString& pattern) {
    const Dir dir = openFolder(folder);
    if (!dir) return {};
    startListing(folder);
    const Wildcard wildcard(pattern);
    const int fd = dirfd(dir.get());
    QStringList names;
    while (const dirent* entry = readdir(dir.get())) {
        if (entry->d_type == DT_DIR || isDotOrDotDot(entry->d_name)) continue;
        bool exact = false;
        const QString name = decodedName(entry->d_name, &exact);
        if (!wildcard.matches(name)) continue;
        struct stat st {};
        if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone since
        Facts facts;
        facts.link = S_ISLNK(st.st_mode);
        facts.resolved = !facts.link || fstatat(fd, entry->d_name, &st, 0) == 0;
        if (facts.resolved) {
            if (S_ISDIR(st.st_mode)) continue;  // a link to a folder is a folder
            facts.mode = st.st_mode;
            facts.device = st.st_dev;
            facts.inode = st.st_ino;
        }
        if (exact) remember(name, facts);
        names << name;
    }
    std::sort(names.begin(), names.end(), listedBefore);
    return names;
}

QStringList LinuxFileSystem::subFolders(const QString& folder) {
    errno = 0;
    const Dir dir = openFolder(folder);
    if (!dir) throw listingError(errno);
    startListing(folder);
    const int fd = dirfd(dir.get());
    QStringList names;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (!entry) {
            if (errno != 0) throw listingError(errno);
            break;
        }
        if (isDotOrDotDot(entry->d_name)) continue;
        if (entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;
        struct stat st {};
        Facts facts;
        if (entry->d_type != DT_DIR) {
            if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            facts.link = S_ISLNK(st.st_mode);
        }
        if (fstatat(fd, entry->d_name, &st, 0) != 0 || !S_ISDIR(st.st_mode)) continue;
        facts.resolved = true;
        facts.mode = st.st_mode;
        facts.device = st.st_dev;
        facts.inode = st.st_ino;
        bool exact = false;
        const QString name = decodedName(entry->d_name, &exact);
        if (exact) remember(name, facts);
        names << name;
    }
    std::sort(names.begin(), names.end(), listedBefore);
    return names;
}

bool LinuxFileSystem::isRootFolder(const QString& path) { return onlySeparators(path); }

QString LinuxFileSystem::folderIdentity(const QString& path) {
    const auto facts = factsOf(path);
    if (!facts || !facts->resolved || !S_ISDIR(facts->mode)) return {};
    return QString::number(quint64(facts->device)) + QLatin1Char(':') + QString::number(quint64(facts->inode));
}

bool LinuxFileSystem::entryExists(const QString& path) { return factsOf(path).has_value(); }

// A link that stands for a folder is a folder here and stays, as a folder does.
bool LinuxFileSystem::removeFile(const QString& path) {
    forgetListing();
    const auto facts = factsOf(path);
    if (!facts || (facts->resolved && S_ISDIR(facts->mode))) return false;
    return ::unlink(encoded(path).constData()) == 0;
}
