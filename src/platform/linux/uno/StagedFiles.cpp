#include "StagedFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "UnoErrors.h"

namespace {
std::atomic<unsigned> counter{0};

QString unique() { return QStringLiteral("%1-%2").arg(::getpid()).arg(++counter); }

// As the office would say it had loaded it itself.
RuntimeError failure(const QString& what, const QString& why = QString::fromLocal8Bit(std::strerror(errno))) {
    return RuntimeError(OfficeErr::Exception, what + QStringLiteral(": ") + why);
}

// Copies from an open descriptor to a new file; false with errno set.
bool copyTo(int in, const QString& to, int flags) {
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_CLOEXEC | flags, 0600);
    if (out < 0) return false;
    static constexpr size_t Chunk = 256 * 1024;
    QByteArray buffer(Chunk, Qt::Uninitialized);
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, buffer.data(), Chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        for (ssize_t done = 0; done < n && ok;) {
            const ssize_t w = ::write(out, buffer.constData() + done, size_t(n - done));
            if (w < 0 && errno == EINTR) continue;
            ok = w > 0;
            done += w;
        }
        if (!ok) break;
    }
    const int saved = errno;
    if (::close(out) != 0) ok = false;
    errno = saved;
    return ok;
}
}  // namespace

QString StageDocument(const QString& runFolder, const QString& url, QString& folder) {
    const QUrl source(url);
    if (!source.isLocalFile()) return url;
    const QString path = source.toLocalFile();
    // Never blocks on a FIFO; only a regular file is a document.
    const int in = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const QString cannotLoad = QStringLiteral("Cannot load %1").arg(path);
    if (in < 0) throw failure(cannotLoad);
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        throw failure(cannotLoad, QStringLiteral("not a regular file"));
    }
    folder = runFolder + QStringLiteral("/in/") + unique();
    const QString copy = folder + QLatin1Char('/') + QFileInfo(path).fileName();
    // A link to the very file the descriptor reads, where the file system allows one (it costs no new
    // file), else a copy; the office sees it read-only either way.
    const QByteArray fdPath = "/proc/self/fd/" + QByteArray::number(in);
    const bool ok = QDir().mkdir(folder) &&
                    (::linkat(AT_FDCWD, fdPath.constData(), AT_FDCWD, QFile::encodeName(copy).constData(), AT_SYMLINK_FOLLOW) == 0 ||
                     copyTo(in, copy, O_CREAT | O_EXCL));
    const int saved = errno;
    ::close(in);
    if (!ok) {
        ReleaseStaged(folder);
        errno = saved;
        throw failure(cannotLoad + QStringLiteral(" into the office's sandbox"));
    }
    return QUrl::fromLocalFile(copy).toString(QUrl::FullyEncoded);
}

void ReleaseStaged(const QString& folder) {
    if (!folder.isEmpty()) QDir(folder).removeRecursively();
}

QString StagedOutputUrl(const QString& runFolder) {
    return QUrl::fromLocalFile(runFolder + QStringLiteral("/out/") + unique()).toString(QUrl::FullyEncoded);
}

// The office is not trusted with the user's files: only a regular file that is no link, the one it
// wrote, becomes the target; on another file system its bytes are copied through the descriptor.
void DeliverStagedOutput(const QString& stagedUrl, const QString& url) {
    const QByteArray staged = QFile::encodeName(QUrl(stagedUrl).toLocalFile());
    const QString target = QUrl(url).toLocalFile();
    const QByteArray targetName = QFile::encodeName(target);
    const int in = ::open(staged.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat written {};
    bool ok = in >= 0 && ::fstat(in, &written) == 0;
    if (ok && !S_ISREG(written.st_mode)) {
        ok = false;
        errno = EINVAL;
    }
    if (ok && ::rename(staged.constData(), targetName.constData()) == 0) {
        // Renamed is what the name held at that moment: it must still be the file checked above.
        struct stat moved {};
        ok = ::lstat(targetName.constData(), &moved) == 0 && moved.st_dev == written.st_dev && moved.st_ino == written.st_ino;
        if (!ok) {
            ::unlink(targetName.constData());
            errno = EINVAL;
        }
    } else if (ok) {
        ok = errno == EXDEV && copyTo(in, target, O_CREAT | O_TRUNC | O_NOFOLLOW);
    }
    const int saved = errno;
    if (in >= 0) ::close(in);
    ::unlink(staged.constData());
    errno = saved;
    if (!ok) throw failure(QStringLiteral("Cannot write %1").arg(target));
}
