#pragma once
// This machine's platform for end-to-end tests: the real office, CUPS, registry, settings and file
// system; only the boxes are answered by the test, the shell is recorded, and the end of the
// program is seen as an exception instead of ending the test.
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "FakePlatform.h"
#include "cupsd/PrivateCupsd.h"
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

// Why this machine cannot run a test that prints through the real office on a private scheduler; the
// empty text when it can.
inline QString WhyNoPrivatePrinting() {
    if (const QString why = PrivateCupsd::unavailableReason(); !why.isEmpty()) return why;
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) return QStringLiteral("LibreOffice is not installed");
    return {};
}

// A HOME of the test's own, so the real settings, registry and office profile stay untouched.
class PrivateHome {
public:
    PrivateHome() {
        qputenv("HOME", path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (path() + QStringLiteral("/.config")).toUtf8());
        qputenv("XDG_DATA_HOME", (path() + QStringLiteral("/.local/share")).toUtf8());
        qputenv("XDG_CACHE_HOME", (path() + QStringLiteral("/.cache")).toUtf8());
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// What a test that prints starts with: a HOME of its own and a private scheduler, made by start().
struct PrivatePrinting {
    std::optional<PrivateHome> home;
    std::unique_ptr<PrivateCupsd> cups;
    // Why the test cannot run here (skip it then); the empty text once the scheduler is up.
    QString start() {
        home.emplace();
        if (const QString why = WhyNoPrivatePrinting(); !why.isEmpty()) return why;
        cups = std::make_unique<PrivateCupsd>();
        return {};
    }
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
        // The office itself, not the sandbox that runs it.
        const QByteArray text = cmdline.readAll();
        if (text.split('\0').first().contains("soffice") && text.contains(home)) pids << pid;
    }
    return pids;
}
