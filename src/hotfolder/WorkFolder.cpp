#include "WorkFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QMap>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
const QString WorkName = QStringLiteral(".work");

QString suffixed(const QString& name, int n) {
    if (n == 1) return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0) return QStringLiteral("%1 (%2)").arg(name).arg(n);
    return QStringLiteral("%1 (%2)%3").arg(name.left(dot)).arg(n).arg(name.mid(dot));
}

// A link is made only where no file is: the new name is never one that exists.
bool linkOrRenameNew(const QByteArray& from, const QByteArray& to, bool* taken) {
    *taken = false;
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return true;
    }
    if (errno == EEXIST) return !(*taken = true);
    // A file system without hard links (some SMB shares): a rename that never replaces.
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EEXIST) return !(*taken = true);
    return false;
}
}  // namespace

QString MoveWithoutOverwriting(const QString& from, const QString& folder, const QString& name) {
    for (int n = 1; n < 10000; ++n) {
        const QString to = folder + QLatin1Char('/') + suffixed(name, n);
        bool taken = false;
        if (linkOrRenameNew(QFile::encodeName(from), QFile::encodeName(to), &taken)) return to;
        if (!taken) return {};
    }
    return {};
}

WorkFolder::WorkFolder(const QString& in, const QString& done, const QString& failed)
    : in_(in), done_(done), failed_(failed) {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    host_ = QString::fromLocal8Bit(host).replace(QLatin1Char('/'), QLatin1Char('_'));
    // The start time besides the pid: a pid comes again after a reboot, the pair does not.
    instance_ = QStringLiteral("%1-%2-%3").arg(host_).arg(::getpid()).arg(QDateTime::currentMSecsSinceEpoch(), 0, 36);
    work_ = in_ + QLatin1Char('/') + WorkName + QLatin1Char('/') + instance_;
}

// The journal is held before the work folder exists, so that a work folder always has a living owner
// or a journal nobody holds.
bool WorkFolder::start(QString* why) {
    const auto make = [&](const QString& folder) {
        if (QDir().mkpath(folder)) return true;
        *why = QStringLiteral("cannot make the folder \"%1\"").arg(folder);
        return false;
    };
    return make(done_) && make(failed_) && make(QFileInfo(work_).absolutePath()) &&
           journal_.hold(work_ + QStringLiteral(".journal"), why) && make(work_);
}

QString WorkFolder::newId() { return QStringLiteral("%1").arg(++claims_, 8, 10, QLatin1Char('0')); }

std::optional<Claimed> WorkFolder::claim(const QString& name) {
    Claimed document{newId(), name};
    const QString folder = work_ + QLatin1Char('/') + document.id;
    if (!QDir().mkdir(folder)) return std::nullopt;
    document.path = folder + QLatin1Char('/') + name;
    // The rename is the claim: of several instances exactly one wins it, the others find no file.
    if (::rename(QFile::encodeName(in_ + QLatin1Char('/') + name).constData(), QFile::encodeName(document.path).constData()) != 0) {
        QDir().rmdir(folder);
        return std::nullopt;
    }
    journal_.write({{"step", "claimed"}, {"id", document.id}, {"name", name}});
    return document;
}

void WorkFolder::sending(Claimed& d, int newestBefore, const QString& printer) {
    d.newestBefore = newestBefore;
    d.printer = printer;
    journal_.write({{"step", "sending"}, {"id", d.id}, {"newestBefore", newestBefore}, {"printer", printer}});
}

void WorkFolder::sent(Claimed& d, int job, const QString& printer) {
    d.job = job;
    d.printer = printer;
    journal_.write({{"step", "job"}, {"id", d.id}, {"job", job}, {"printer", printer}});
}

void WorkFolder::ended(Claimed& d, const QString& outcome, const QString& reason) {
    d.outcome = outcome;
    d.reason = reason;
    journal_.write({{"step", "end"}, {"id", d.id}, {"outcome", outcome}, {"reason", reason}});
}

QString WorkFolder::file(const Claimed& d, bool done, const QString& reason) {
    const QString to = MoveWithoutOverwriting(d.path, done ? done_ : failed_, d.name);
    if (!to.isEmpty() && !done) {
        QFile why(to + QStringLiteral(".txt"));
        if (why.open(QIODevice::WriteOnly | QIODevice::NewOnly)) why.write(reason.toUtf8() + '\n');
    }
    if (!to.isEmpty()) {
        QDir().rmdir(QFileInfo(d.path).absolutePath());
        journal_.write({{"step", "filed"}, {"id", d.id}, {"to", to}});
    }
    return to;
}

void WorkFolder::putBack(const Claimed& d) {
    if (MoveWithoutOverwriting(d.path, in_, d.name).isEmpty()) return;
    QDir().rmdir(QFileInfo(d.path).absolutePath());
    journal_.write({{"step", "returned"}, {"id", d.id}});
}

void WorkFolder::close() {
    const bool empty = QDir(work_).isEmpty();
    journal_.release();
    if (empty && QDir().rmdir(work_)) QFile::remove(work_ + QStringLiteral(".journal"));
}

// A dead instance's documents come here under new ids, in its order, with its record of them.
std::optional<Claimed> WorkFolder::adopt(const QString& deadFolder, const QString& id, Claimed d) {
    const QString from = deadFolder + QLatin1Char('/') + id;
    const QStringList files = QDir(from).entryList(QDir::Files | QDir::Hidden | QDir::System);
    if (files.isEmpty()) {
        QDir().rmdir(from);
        return std::nullopt;
    }
    if (d.name.isEmpty()) d.name = files.first();
    d.id = newId();
    const QString to = work_ + QLatin1Char('/') + d.id;
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) return std::nullopt;
    d.path = to + QLatin1Char('/') + files.first();
    journal_.write({{"step", "claimed"}, {"id", d.id}, {"name", d.name}, {"from", QFileInfo(deadFolder).fileName()}});
    if (d.newestBefore >= 0) sending(d, d.newestBefore, d.printer);
    if (d.job > 0) sent(d, d.job, d.printer);
    if (!d.outcome.isEmpty()) ended(d, d.outcome, d.reason);
    return d;
}

QList<Claimed> WorkFolder::takeOver() {
    const QDir work(in_ + QLatin1Char('/') + WorkName);
    const QString mine = host_ + QLatin1Char('-');
    QStringList instances;
    for (const QString& entry : work.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString name = entry.endsWith(QStringLiteral(".journal")) ? entry.chopped(8) : entry;
        if (name.startsWith(mine) && name != instance_ && !instances.contains(name)) instances << name;
    }
    QList<Claimed> adopted;
    for (const QString& dead : instances) {
        const QString journal = work.filePath(dead + QStringLiteral(".journal"));
        // A journal that can be locked has nobody: its instance is dead. The lock is kept until its
        // documents are moved, so that no other instance takes them over as well.
        const int fd = ::open(QFile::encodeName(journal).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (fd >= 0) ::close(fd);
            continue;
        }
        QMap<QString, Claimed> record;
        for (const QJsonObject& line : Journal::Read(journal)) {
            Claimed& d = record[line[QStringLiteral("id")].toString()];
            const QString step = line[QStringLiteral("step")].toString();
            if (step == QStringLiteral("claimed")) d.name = line[QStringLiteral("name")].toString();
            if (step == QStringLiteral("sending")) d.newestBefore = line[QStringLiteral("newestBefore")].toInt();
            if (step == QStringLiteral("sending") || step == QStringLiteral("job")) d.printer = line[QStringLiteral("printer")].toString();
            if (step == QStringLiteral("job")) d.job = line[QStringLiteral("job")].toInt();
            if (step == QStringLiteral("end")) {
                d.outcome = line[QStringLiteral("outcome")].toString();
                d.reason = line[QStringLiteral("reason")].toString();
            }
        }
        const QString folder = work.filePath(dead);
        for (const QString& id : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            if (const auto d = adopt(folder, id, record.value(id))) adopted << *d;
        if (QDir(folder).isEmpty() || !QFileInfo::exists(folder)) {
            QDir().rmdir(folder);
            QFile::remove(journal);
        }
        ::close(fd);
    }
    return adopted;
}
