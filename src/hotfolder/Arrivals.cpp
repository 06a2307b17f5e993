#include "Arrivals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr uint32_t Changes = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_ATTRIB;
constexpr uint32_t Gone = IN_DELETE | IN_MOVED_FROM;

// The paths of this machine's open files that some process may write, among `paths`. A process of
// another user is seen when this program may look into it (as root, every one).
QSet<QString> openForWriting(const QSet<QString>& paths) {
    QSet<QString> writing;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!pid.front().isDigit()) continue;
        const QString fds = QStringLiteral("/proc/") + pid + QStringLiteral("/fd");
        for (const QString& fd : QDir(fds).entryList(QDir::System | QDir::NoDotAndDotDot)) {
            char target[PATH_MAX];
            const ssize_t n = ::readlink(QFile::encodeName(fds + QLatin1Char('/') + fd).constData(), target, sizeof target - 1);
            if (n <= 0) continue;
            const QString path = QFile::decodeName(QByteArray(target, int(n)));
            if (!paths.contains(path)) continue;
            QFile info(QStringLiteral("/proc/") + pid + QStringLiteral("/fdinfo/") + fd);
            if (!info.open(QIODevice::ReadOnly)) continue;
            for (const QByteArray& line : info.readAll().split('\n'))
                if (line.startsWith("flags:") && (line.mid(6).trimmed().toInt(nullptr, 8) & O_ACCMODE) != O_RDONLY) writing << path;
        }
    }
    return writing;
}
}  // namespace

Arrivals::Arrivals(const QString& folder, const QString& extension, int settleMs)
    : folder_(folder), extension_(extension), settleMs_(settleMs) {
    clock_.start();
}

Arrivals::~Arrivals() {
    if (fd_ >= 0) ::close(fd_);
}

bool Arrivals::LeftAlone(const QString& name, const QString& extension) {
    if (name.startsWith(QLatin1Char('.')) || name.startsWith(QStringLiteral("~$")) || name.endsWith(QStringLiteral(".part"), Qt::CaseInsensitive) ||
        name.endsWith(QStringLiteral(".crdownload"), Qt::CaseInsensitive) || name.endsWith(QLatin1Char('~')))
        return true;
    return extension != QStringLiteral("*") && !name.endsWith(QLatin1Char('.') + extension, Qt::CaseInsensitive);
}

bool Arrivals::start(QString* why) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0 || ::inotify_add_watch(fd_, QFile::encodeName(folder_).constData(), Changes | Gone | IN_ONLYDIR) < 0) {
        *why = QStringLiteral("cannot watch the folder \"%1\": %2").arg(folder_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    scan();
    return true;
}

// What is in the folder already counts as changed when it was last modified.
void Arrivals::scan() {
    const QDateTime now = QDateTime::currentDateTime();
    for (const QFileInfo& file : QDir(folder_).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Time | QDir::Reversed)) {
        const qint64 age = std::max<qint64>(0, file.lastModified().msecsTo(now));
        seen(file.fileName(), clock_.elapsed() - age);
    }
}

void Arrivals::seen(const QString& name, qint64 quietSinceMs) {
    if (LeftAlone(name, extension_)) return;
    pending_[name] = std::max(pending_.value(name, LLONG_MIN), quietSinceMs);
}

void Arrivals::readEvents() {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n <= 0) return;
        for (char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            p += sizeof(inotify_event) + event->len;
            if (event->mask & IN_Q_OVERFLOW) {
                scan();
                continue;
            }
            if (!event->len || (event->mask & IN_ISDIR)) continue;
            const QString name = QFile::decodeName(event->name);
            if (event->mask & Gone) pending_.remove(name);
            else seen(name, clock_.elapsed());
        }
    }
}

QStringList Arrivals::takeWhole() {
    const qint64 now = clock_.elapsed();
    QList<std::pair<qint64, QString>> quiet;
    QSet<QString> paths;
    for (auto it = pending_.cbegin(); it != pending_.cend(); ++it)
        if (now - it.value() >= settleMs_) {
            quiet << std::pair{it.value(), it.key()};
            paths << folder_ + QLatin1Char('/') + it.key();
        }
    if (quiet.isEmpty()) return {};
    const QSet<QString> writing = openForWriting(paths);
    std::sort(quiet.begin(), quiet.end());
    QStringList whole;
    for (const auto& [since, name] : quiet) {
        const QString path = folder_ + QLatin1Char('/') + name;
        if (writing.contains(path)) continue;  // still open: its writer's close tells when it is whole
        struct stat st;
        if (::lstat(QFile::encodeName(path).constData(), &st) == 0) whole << name;
        pending_.remove(name);
    }
    return whole;
}
