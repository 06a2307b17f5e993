#include "Journal.h"

#include <QFile>
#include <QJsonDocument>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

Journal::~Journal() { close(); }

bool Journal::open(const QString& path, QString* why) {
    fd_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        *why = QStringLiteral("cannot keep the journal \"%1\": %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        close();
        return false;
    }
    return true;
}

bool Journal::write(const QJsonObject& line) {
    const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    // One write of the whole line: O_APPEND keeps it in one piece.
    return fd_ >= 0 && ::write(fd_, text.constData(), size_t(text.size())) == text.size() && ::fdatasync(fd_) == 0;
}

void Journal::close() {
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
