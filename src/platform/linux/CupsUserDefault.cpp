// The user's own default printer, kept across the runs of every window of the user. libcups keeps it
// as the "Default" line of ~/.cups/lpoptions (root's too); without that line the scheduler's default
// applies. Runs under way are counted in a file of the program's, under a lock, by process id, so a
// window that died mid-run does not keep the setting from coming back.
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <sys/file.h>
#include <unistd.h>

#include "CupsPrinters.h"
#include "platform/RuntimeError.h"

namespace {
QString OptionsFile() { return QDir::homePath() + QStringLiteral("/.cups/lpoptions"); }

QString RunsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/quorvane/default-printer-runs");
}

RuntimeError cannotKeep(const QString& path, const QString& why) {
    return {70, QStringLiteral("Permission denied: the default printer setting cannot be kept in %1 (%2)").arg(path, why)};
}

bool IsDefaultLine(const QByteArray& line) { return line.trimmed().toLower().startsWith("default "); }

// The destination a "Default" or "Dest" line is about ("queue" or "queue/instance").
QByteArray DestinationOf(const QByteArray& line) { return line.simplified().split(' ').value(1); }

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The user's own "Default ..." line; empty when the user has none.
QByteArray OwnDefault() {
    for (const QByteArray& line : ReadAll(OptionsFile()).split('\n'))
        if (IsDefaultLine(line)) return line;
    return {};
}

// Puts the line back in place of whatever "Default" line the file has now; the other lines stay, but
// for the "Dest" line of the saved default, whose options the "Default" line carries itself.
void RestoreOwnDefault(const QByteArray& saved) {
    const QString path = OptionsFile();
    const QByteArray before = ReadAll(path);
    QByteArray after;
    for (const QByteArray& line : before.split('\n'))
        if (!line.isEmpty() && !IsDefaultLine(line) && !(!saved.isEmpty() && DestinationOf(line) == DestinationOf(saved)))
            after += line + '\n';
    if (!saved.isEmpty()) after += saved + '\n';
    if (after == before) return;
    QDir().mkpath(QDir::homePath() + QStringLiteral("/.cups"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(after) != after.size() || !file.commit())
        throw cannotKeep(path, file.errorString());
}

// The runs file, locked while it lives: its first line is the saved "Default" line (or empty), then
// one process id per run under way.
class Runs {
public:
    Runs() : file_(RunsFile()) {
        QDir().mkpath(QFileInfo(file_).absolutePath());
        if (!file_.open(QIODevice::ReadWrite) || ::flock(file_.handle(), LOCK_EX) != 0)
            throw cannotKeep(file_.fileName(), file_.errorString());
        const QList<QByteArray> lines = file_.readAll().split('\n');
        saved = lines.value(0);
        for (const QByteArray& line : lines.mid(1)) {
            const pid_t pid = pid_t(line.toInt());
            if (pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM)) holders << pid;
        }
    }
    ~Runs() { ::flock(file_.handle(), LOCK_UN); }

    void save() {
        QByteArray text = saved;
        for (const pid_t pid : holders) text += '\n' + QByteArray::number(pid);
        if (!file_.resize(0) || !file_.seek(0) || file_.write(text) != text.size() || !file_.flush())
            throw cannotKeep(file_.fileName(), file_.errorString());
    }

    QByteArray saved;
    QList<pid_t> holders;

private:
    QFile file_;
};
}  // namespace

void CupsPrinters::holdUserDefault() {
    Runs runs;
    if (runs.holders.isEmpty()) runs.saved = OwnDefault();
    runs.holders << ::getpid();
    runs.save();
}

void CupsPrinters::releaseUserDefault() {
    Runs runs;
    runs.holders.removeOne(::getpid());
    if (runs.holders.isEmpty()) {
        RestoreOwnDefault(runs.saved);
        runs.saved.clear();
    }
    runs.save();
}
