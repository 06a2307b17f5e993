#pragma once
// This machine's platform for end-to-end tests: the real office, CUPS, registry, settings and file
// system; only the boxes are answered by the test, the shell is recorded, and the end of the
// program is seen as an exception instead of ending the test.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "FakePlatform.h"
#include "platform/linux/CupsPrinters.h"
#include "platform/linux/LinuxFileSystem.h"
#include "platform/linux/LinuxRegistry.h"
#include "platform/linux/LinuxRuntime.h"
#include "platform/linux/LinuxSettings.h"
#include "platform/linux/OfficeLoader.h"

class TestRuntime : public LinuxRuntime {
public:
    [[noreturn]] void endProgram() override { throw ProgramEnded{}; }
};

struct RealPlatform {
    Log log;
    FakeDialogs dialogs{log};
    LinuxSettings settings;
    LinuxRegistry registry;
    CupsPrinters printers;
    std::unique_ptr<Office> office = LoadOffice(QStringLiteral(QUORVANE_PROGRAM_DIR));
    FakeShell shell{log};
    LinuxFileSystem files;
    TestRuntime runtime;
    Platform platform{dialogs, settings, registry, printers, *office, shell, files, runtime,
                      QStringLiteral(QUORVANE_PROGRAM_DIR)};
    ~RealPlatform() { office->shutdown(); }
};

// A private CUPS scheduler with the queues "Alpha" and "Beta", and a private HOME, for one test program.
class PrivateCups {
public:
    PrivateCups() {
        home_ = dir_.path() + QStringLiteral("/home");
        QDir().mkpath(home_);
        qputenv("HOME", home_.toUtf8());
        qputenv("XDG_CONFIG_HOME", (home_ + QStringLiteral("/.config")).toUtf8());
        qputenv("XDG_DATA_HOME", (home_ + QStringLiteral("/.local/share")).toUtf8());
        const QString out = harness({QStringLiteral("start"), dir_.path()});
        static const QRegularExpression exportLine(QStringLiteral("^export ([A-Z_]+)=(.*)$"),
                                                   QRegularExpression::MultilineOption);
        for (auto it = exportLine.globalMatch(out); it.hasNext();) {
            const auto m = it.next();
            QString value = m.captured(2);
            if (value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\''))) value = value.mid(1, value.size() - 2);
            qputenv(m.captured(1).toUtf8(), value.toUtf8());
            started_ = started_ || m.captured(1) == QStringLiteral("CUPS_SERVER");
        }
    }
    ~PrivateCups() { harness({QStringLiteral("stop"), dir_.path()}); }
    static bool available() { return QFile::exists(QStringLiteral("/usr/sbin/cupsd")); }
    bool started() const { return started_; }
    QString folder() const { return dir_.path(); }

    QString harness(const QStringList& args) const {
        QProcess p;
        p.start(QStringLiteral(QUORVANE_SOURCE_DIR "/tests/e2e/cupsd/private-cupsd.sh"), args);
        p.waitForFinished(120000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    // The jobs kept for a queue, oldest first.
    QStringList jobs(const QString& queue) const {
        QDir jobs(dir_.path() + QStringLiteral("/jobs/") + queue);
        QStringList paths;
        for (const QString& name : jobs.entryList(QDir::Files, QDir::Name)) paths << jobs.filePath(name);
        return paths;
    }
    QString jobText(const QString& path) const { return harness({QStringLiteral("job-text"), path}); }
    // Waits until the queue has kept at least count jobs.
    bool waitForJobs(const QString& queue, int count, int milliseconds = 60000) const {
        QElapsedTimer timer;
        timer.start();
        while (jobs(queue).size() < count && timer.elapsed() < milliseconds) QTest::qWait(200);
        return jobs(queue).size() >= count;
    }

private:
    QTemporaryDir dir_;
    QString home_;
    bool started_ = false;
};

// Office processes started for this HOME (its profile lives there).
inline QList<qint64> OfficeProcesses() {
    QList<qint64> pids;
    const QByteArray home = qgetenv("HOME");
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric) continue;
        QFile cmdline(QStringLiteral("/proc/") + entry + QStringLiteral("/cmdline"));
        if (!cmdline.open(QIODevice::ReadOnly)) continue;
        const QByteArray text = cmdline.readAll();
        if (text.contains("soffice") && text.contains(home)) pids << pid;
    }
    return pids;
}
