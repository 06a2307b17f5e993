#include "PendingFiles.h"

#include <QFile>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

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
        QFile::remove(temporary);
        return why;
    }
    published_.insert(name);
    return {};
}

void PendingFiles::discard(const QString& temporary) {
    std::lock_guard lock(mutex_);
    if (pending_.remove(temporary)) QFile::remove(temporary);
}

void PendingFiles::removeAll() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    for (const QString& path : std::as_const(pending_)) QFile::remove(path);
    pending_.clear();
}

bool PendingFiles::isPublished(const QString& name) const {
    std::lock_guard lock(mutex_);
    return published_.contains(name);
}
