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
        for (const QString& fd : QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
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
        const qint64 at = clock_.elapsed() - std::max<qint64>(0, file.lastModified().msecsTo(now));
        seen(file.fileName(), at, at + settleMs_);
    }
}

void Arrivals::seen(const QString& name, qint64 atMs, qint64 wholeAtMs) {
    if (LeftAlone(name, extension_)) return;
    const auto known = pending_.constFind(name);
    if (known != pending_.cend() && known->atMs > atMs) return;
    pending_[name] = {atMs, wholeAtMs};
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
            // Moved in is whole at once (its writer finished before the rename); written needs its quiet.
            if (event->mask & Gone) pending_.remove(name);
            else if (event->mask & IN_MOVED_TO) seen(name, clock_.elapsed(), clock_.elapsed());
            else seen(name, clock_.elapsed(), clock_.elapsed() + settleMs_);
        }
    }
}

QStringList Arrivals::takeWhole() {
    const qint64 now = clock_.elapsed();
    QList<std::pair<qint64, QString>> arrived;
    QSet<QString> settled;
    for (auto it = pending_.cbegin(); it != pending_.cend(); ++it) {
        arrived << std::pair{it->atMs, it.key()};
        if (now >= it->wholeAtMs && !it->heldOpen) settled << folder_ + QLatin1Char('/') + it.key();
    }
    if (settled.isEmpty()) return {};
    const QSet<QString> writing = openForWriting(settled);
    std::sort(arrived.begin(), arrived.end());
    QStringList whole;
    for (const auto& [at, name] : arrived) {
        const QString path = folder_ + QLatin1Char('/') + name;
        // Still open: its writer's close (an event, also when the writer dies) tells when it is whole.
        if (pending_[name].heldOpen || writing.contains(path)) {
            pending_[name].heldOpen = true;
            continue;
        }
        if (!settled.contains(path)) break;     // arrived before the rest: they wait for it
        struct stat st;
        if (::lstat(QFile::encodeName(path).constData(), &st) == 0) whole << name;
        pending_.remove(name);
    }
    return whole;
}
