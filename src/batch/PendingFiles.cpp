#include "PendingFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>

namespace {
// The office marks a file it writes with a lock file beside it, which an office ended while
// writing leaves behind.
void removeWithOfficeLock(const QString& path) {
    QFile::remove(path);
    const QFileInfo file(path);
    QFile::remove(file.dir().filePath(QStringLiteral(".~lock.%1#").arg(file.fileName())));
}
}  // namespace

QString PendingFiles::spool(QString* error) {
    std::lock_guard lock(mutex_);
    if (closed_) {
        *error = QStringLiteral("the run was interrupted");
        return {};
    }
    if (spool_.isEmpty()) {
        // mkdtemp makes the folder for the user alone, under a name nobody else can have taken.
        QByteArray name = QFile::encodeName(QDir::tempPath() + QStringLiteral("/quorvane-batch-XXXXXX"));
        if (!::mkdtemp(name.data())) {
            *error = QString::fromLocal8Bit(std::strerror(errno));
            return {};
        }
        spool_ = QFile::decodeName(name);
    }
    return spool_;
}

QString PendingFiles::reserve(const QString& folder, QString* error) {
    // Made and recorded at once: an interruption finds every file that exists.
    std::lock_guard lock(mutex_);
    if (closed_) {
        *error = QStringLiteral("the run was interrupted");
        return {};
    }
    QTemporaryFile file(folder + QStringLiteral("/.quorvane-XXXXXX.pdf.part"));
    if (!file.open()) {
        *error = file.errorString();
        return {};
    }
    file.setAutoRemove(false);
    pending_.insert(file.fileName());
    return file.fileName();
}

QString PendingFiles::publish(const QString& temporary, const QString& name) {
    std::lock_guard lock(mutex_);
    if (closed_ || !pending_.remove(temporary)) return QStringLiteral("the run was interrupted");
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(name).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        removeWithOfficeLock(temporary);
        return why;
    }
    published_.insert(name);
    return {};
}

void PendingFiles::discard(const QString& temporary) {
    std::lock_guard lock(mutex_);
    if (pending_.remove(temporary)) removeWithOfficeLock(temporary);
}

void PendingFiles::removeAll() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    for (const QString& path : std::as_const(pending_)) removeWithOfficeLock(path);
    pending_.clear();
    if (!spool_.isEmpty()) QDir(spool_).removeRecursively();
    spool_.clear();
}

bool PendingFiles::isPublished(const QString& name) const {
    std::lock_guard lock(mutex_);
    return published_.contains(name);
}
