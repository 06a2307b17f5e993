#pragma once
// Runs one case of this test program again as the private scheduler's unprivileged test user: the
// PDF printer never writes root's jobs, so a PDF run must be the user's own. The copy gets a clean
// environment of the user's (home, a settings folder of the case's own, the scheduler, the offscreen
// screen) and its whole QtTest output comes back.
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QtTest>
#include <pwd.h>

#include "cupsd/PrivateCupsd.h"

namespace pdfrun {
// Set in the copy that runs the cases as the test user.
inline constexpr const char* AsUserVariable = "QUORVANE_PDFRUN_AS_USER";

inline bool asTestUser() { return qEnvironmentVariableIsSet(AsUserVariable); }

// A generous bound for one case; a case that passes takes well under a minute.
inline constexpr int CaseTimeoutMs = 300000;

struct CaseResult {
    bool finished = false;
    int exitCode = -1;
    QString output;
};

class TestUser {
public:
    explicit TestUser(const PrivateCupsd& cups) : cups_(cups) {}

    QString name() const { return cups_.testUser(); }
    QString home() const { return cups_.testHome(); }

    // Whether the user passes `test` with these arguments (e.g. "-r", path).
    bool can(const QStringList& testArguments) const {
        return PrivateCupsd::runTool(QStringLiteral("runuser"),
                                     QStringList{QStringLiteral("-u"), name(), QStringLiteral("--"),
                                                 QStringLiteral("test")} + testArguments);
    }

    // The first thing the cases need that the user cannot reach, as a sentence; empty when none.
    QString unreachable(const QString& programFolder) const {
        const QString self = QCoreApplication::applicationFilePath();
        const QString plugin = programFolder + QStringLiteral("/quorvane_uno.so");
        const QList<QPair<QStringList, QString>> needs{
            {{QStringLiteral("-x"), self}, QStringLiteral("run ") + self},
            {{QStringLiteral("-r"), plugin}, QStringLiteral("read ") + plugin},
            {{QStringLiteral("-w"), home()}, QStringLiteral("write its home ") + home()},
        };
        for (const auto& [arguments, what] : needs)
            if (!can(arguments)) return QStringLiteral("the test user %1 cannot %2").arg(name(), what);
        return {};
    }

    // Runs `testCase` ("function" or "function:tag") of this program as the user.
    CaseResult run(const QString& testCase, const QStringList& extraVariables = {}) const {
        const QString caseFolder = QString(testCase).replace(QLatin1Char(':'), QLatin1Char('-'));
        const QString runtime = home() + QStringLiteral("/runtime");
        PrivateCupsd::runTool(QStringLiteral("install"), {QStringLiteral("-d"), QStringLiteral("-m"), QStringLiteral("0700"),
                                                          QStringLiteral("-o"), name(), QStringLiteral("-g"), name(), runtime});
        QStringList variables{
            QStringLiteral("PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"),
            QStringLiteral("LANG=C.UTF-8"),
            QStringLiteral("HOME=") + home(),
            // Each case starts as a first start: settings of its own. The PDF printer's values stay
            // below HOME, where the printer looks for them.
            QStringLiteral("XDG_CONFIG_HOME=") + home() + QStringLiteral("/config/") + caseFolder,
            QStringLiteral("XDG_DATA_HOME=") + home() + QStringLiteral("/.local/share"),
            QStringLiteral("XDG_CACHE_HOME=") + home() + QStringLiteral("/.cache"),
            QStringLiteral("XDG_RUNTIME_DIR=") + runtime,
            QStringLiteral("CUPS_SERVER=") + qEnvironmentVariable("CUPS_SERVER"),
            QStringLiteral("CUPS_SERVERROOT=") + qEnvironmentVariable("CUPS_SERVERROOT"),
            QStringLiteral("QT_QPA_PLATFORM=offscreen"),
            QLatin1String(AsUserVariable) + QStringLiteral("=1"),
        };
        for (const char* passedOn : {"QUORVANE_SOFFICE", "QUORVANE_OFFICE_TIMEOUT"})
            if (qEnvironmentVariableIsSet(passedOn))
                variables << QLatin1String(passedOn) + QLatin1Char('=') + qEnvironmentVariable(passedOn);
        variables += extraVariables;

        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.setWorkingDirectory(home());
        child.start(QStringLiteral("runuser"),
                    QStringList{QStringLiteral("-u"), name(), QStringLiteral("--"), QStringLiteral("env"), QStringLiteral("-i")} +
                        variables + QStringList{QCoreApplication::applicationFilePath(), testCase});
        CaseResult result;
        result.finished = child.waitForFinished(CaseTimeoutMs);
        if (!result.finished) {
            child.terminate();  // runuser passes it on, and the office ends with its parent
            if (!child.waitForFinished(10000)) child.kill();
            child.waitForFinished();
        }
        result.output = QString::fromUtf8(child.readAll());
        result.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
        return result;
    }

    // Processes of the user still running (the office, a converter); none once a case is over.
    QStringList processes() const {
        QStringList found;
        const QByteArray uid = QByteArray::number(uint(userId()));
        for (const QString& pid : QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs)) {
            QFile status(QStringLiteral("/proc/") + pid + QStringLiteral("/status"));
            if (!status.open(QIODevice::ReadOnly)) continue;
            const QByteArray text = status.readAll();
            if (text.contains("\nUid:\t" + uid + "\t")) found << pid + QLatin1Char(' ') + QString::fromUtf8(text.left(text.indexOf('\n')));
        }
        return found;
    }

private:
    uid_t userId() const {
        const passwd* entry = ::getpwnam(name().toUtf8().constData());
        return entry ? entry->pw_uid : uid_t(-1);
    }
    const PrivateCupsd& cups_;
};
}  // namespace pdfrun
