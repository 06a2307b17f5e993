#pragma once
// A private CUPS scheduler for one test program (see private-cupsd.sh): started in a temporary
// folder, reached through CUPS_SERVER / CUPS_SERVERROOT, which it sets for this process and its
// children, stopped when destroyed. Queues "Alpha" and "Beta" keep their jobs as files.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <unistd.h>
#include <functional>

class PrivateCupsd {
public:
    // Why no private scheduler can run here; the empty text when one can.
    static QString unavailableReason() {
        if (!QFileInfo(QStringLiteral("/usr/sbin/cupsd")).isExecutable()) return QStringLiteral("cupsd is not installed");
        if (geteuid() != 0) return QStringLiteral("the private cupsd needs root");
        return {};
    }

    PrivateCupsd() : dir_(QStringLiteral("/tmp/quorvane-cupsd-XXXXXX")) {
        QString out;
        started_ = dir_.isValid() && run({QStringLiteral("start"), dir_.path()}, &out);
        if (!started_) return;
        for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QString assignment = line.section(QLatin1Char(' '), 1);  // "export NAME=value"
            const QString name = assignment.section(QLatin1Char('='), 0, 0);
            const QString value = assignment.section(QLatin1Char('='), 1);
            qputenv(name.toUtf8().constData(), value.toUtf8());
            vars_[name] = value;
        }
    }
    ~PrivateCupsd() {
        if (!dir_.isValid()) return;
        run({QStringLiteral("stop"), dir_.path()});
        qunsetenv("CUPS_SERVER");
        qunsetenv("CUPS_SERVERROOT");
    }
    PrivateCupsd(const PrivateCupsd&) = delete;
    PrivateCupsd& operator=(const PrivateCupsd&) = delete;

    bool started() const { return started_; }
    QString error() const { return error_; }
    QString dir() const { return dir_.path(); }
    QString var(const QString& name) const { return vars_.value(name); }
    // An unprivileged account of this scheduler's own, with its home in the temporary folder.
    QString testUser() const { return var(QStringLiteral("QUORVANE_TEST_USER")); }
    QString testHome() const { return var(QStringLiteral("QUORVANE_TEST_HOME")); }
    // A second such account, for tests where one local user attacks another.
    QString attackerUser() const { return var(QStringLiteral("QUORVANE_ATTACKER_USER")); }
    QString attackerHome() const { return var(QStringLiteral("QUORVANE_ATTACKER_HOME")); }

    bool addQueue(const QString& name, const QString& description = {}) {
        QStringList args{QStringLiteral("add-queue"), dir(), name};
        if (!description.isEmpty()) args << description;
        return run(args);
    }
    bool installPdfWriter(const QString& backend = QStringLiteral(QUORVANE_BINARY_DIR "/pdfwriter/vendrellpdf")) {
        return run({QStringLiteral("install-pdfwriter"), dir(), backend});
    }

    // The queue's kept jobs, in arrival order.
    QStringList keptJobs(const QString& queue) const {
        QStringList paths;
        const QDir jobs(dir() + QStringLiteral("/jobs/") + queue);
        // A job still being written is kept under a ".part" name until it is whole.
        for (const QString& name : jobs.entryList(QDir::Files, QDir::Name))
            if (!name.endsWith(QStringLiteral(".part"))) paths << jobs.filePath(name);
        return paths;
    }
    // Waits (really) until the queue has kept at least count jobs; returns them.
    QStringList waitForJobs(const QString& queue, int count, int timeoutMs = 30000) const {
        waitFor([&] { return keptJobs(queue).size() >= count; }, timeoutMs);
        return keptJobs(queue);
    }
    // Waits until the scheduler has no job left that is not completed, aborted or cancelled.
    bool waitUntilIdle(int timeoutMs = 30000) const {
        return waitFor([&] {
            QString out;
            return runTool(QStringLiteral("lpstat"), {QStringLiteral("-o")}, &out) && out.trimmed().isEmpty();
        }, timeoutMs);
    }
    // The text of a kept job, whatever its format (PDF, PostScript, plain text).
    QString jobText(const QString& file) const {
        QString out;
        const_cast<PrivateCupsd*>(this)->run({QStringLiteral("job-text"), file}, &out);
        return out;
    }
    QString log() const {
        QFile file(dir() + QStringLiteral("/log/error_log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // Runs a program with this scheduler's environment; false unless it exits with 0.
    static bool runTool(const QString& program, const QStringList& args, QString* out = nullptr,
                        const QByteArray& input = {}) {
        QProcess p;
        p.start(program, args);
        if (!p.waitForStarted(10000)) return false;
        if (!input.isEmpty()) p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return false;
        }
        if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
    // What a program printed, run with this scheduler's environment; whatever it printed on failure too.
    static QString outputOf(const QString& program, const QStringList& args) {
        QString out;
        runTool(program, args, &out);
        return out;
    }
    static bool waitFor(const std::function<bool()>& done, int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > timeoutMs) return false;
            QThread::msleep(100);
        }
        return true;
    }

private:
    bool run(const QStringList& args, QString* out = nullptr) {
        QProcess p;
        p.start(QStringLiteral(QUORVANE_SOURCE_DIR "/tests/e2e/cupsd/private-cupsd.sh"), args);
        const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
        if (!ok) error_ = QString::fromUtf8(p.readAllStandardError());
        return ok;
    }

    QTemporaryDir dir_;
    bool started_ = false;
    QString error_;
    QMap<QString, QString> vars_;
};
