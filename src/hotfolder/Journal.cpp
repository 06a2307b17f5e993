#include "Journal.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

Journal::~Journal() { release(); }

bool Journal::hold(const QString& path, QString* why) {
    // Locked under a hidden name first, then given its own: nobody ever finds it unlocked, and so
    // nobody takes a starting instance for a dead one.
    const QFileInfo info(path);
    const QByteArray hidden = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName());
    fd_ = ::open(hidden.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    // A link, unlike a rename, never replaces another's journal.
    const bool held = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0 && ::link(hidden.constData(), QFile::encodeName(path).constData()) == 0;
    const int error = errno;
    ::unlink(hidden.constData());
    if (held) return true;
    *why = QStringLiteral("cannot keep the journal \"%1\": %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
    release();
    return false;
}

bool Journal::write(const QJsonObject& line) {
    QJsonObject stamped = line;
    stamped[QStringLiteral("at")] = QDateTime::currentMSecsSinceEpoch() / 1000.0;  // for the operator
    const QByteArray text = QJsonDocument(stamped).toJson(QJsonDocument::Compact) + '\n';
    // One write of the whole line: O_APPEND keeps it in one piece.
    return fd_ >= 0 && ::write(fd_, text.constData(), size_t(text.size())) == text.size() && ::fdatasync(fd_) == 0;
}

void Journal::release() {
    if (fd_ >= 0) ::close(fd_);  // the lock goes with it
    fd_ = -1;
}

QList<QJsonObject> Journal::Read(const QString& path) {
    QList<QJsonObject> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return lines;
    for (const QByteArray& text : file.readAll().split('\n')) {
        const QJsonDocument line = QJsonDocument::fromJson(text);
        if (line.isObject()) lines << line.object();
    }
    return lines;
}
