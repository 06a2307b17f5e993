#pragma once
// Jobs for the "Vendrell PDF Writer" printer of a private scheduler (PrivateCupsd), sent by its
// test accounts with the ordinary client (lp), and the files and processes they leave.
#include <QtTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PrivateCupsd.h"

class PdfWriterJobs {
public:
    static inline const QString Queue = QStringLiteral("Vendrell_PDF_Writer");
    static inline const QString Backend = QStringLiteral(QUORVANE_BINARY_DIR "/pdfwriter/vendrellpdf");

    // Why the printer cannot be tested here; the empty text when it can.
    static QString unavailableReason() {
        const QString reason = PrivateCupsd::unavailableReason();
        if (!reason.isEmpty()) return reason;
        for (const QString tool : {QStringLiteral("gs"), QStringLiteral("qpdf")})
            if (QStandardPaths::findExecutable(tool).isEmpty()) return tool + QStringLiteral(" is not installed");
        return {};
    }
    // Starts the scheduler and installs the printer built here; false when that failed (see error()).
    static bool install(PrivateCupsd& cupsd) { return cupsd.started() && cupsd.installPdfWriter(Backend); }

    explicit PdfWriterJobs(PrivateCupsd& cupsd) : cupsd_(cupsd) {}

    static QByteArray postScript(const QString& text) {
        return "%!PS\n/Helvetica findfont 20 scalefont setfont 72 700 moveto (" + text.toLatin1() + ") show showpage\n";
    }
    static QByteArray pdfOf(const QByteArray& postscript) {
        QProcess gs;
        gs.start(QStringLiteral("gs"), {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pdfwrite", "-sOutputFile=-", "-"});
        gs.write(postscript);
        gs.closeWriteChannel();
        gs.waitForFinished(30000);
        return gs.readAllStandardOutput();
    }
    static QByteArray content(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static uid_t uidOf(const QString& user) { return getpwnam(user.toUtf8().constData())->pw_uid; }
    static QString homeOf(const QString& user) { return QString::fromUtf8(getpwnam(user.toUtf8().constData())->pw_dir); }
    static bool chownTo(const QString& user, const QString& path) {
        return PrivateCupsd::runTool(QStringLiteral("chown"), {user + QLatin1Char(':') + user, path});
    }
    // A folder below the user's home, made and owned by the user.
    static QString userFolder(const QString& user, const QString& name) {
        const QString path = homeOf(user) + QLatin1Char('/') + name;
        QDir().mkpath(path);
        chownTo(user, path);
        return path;
    }
    static QString valuesFile(const QString& user) {
        return homeOf(user) + QStringLiteral("/.config/Vendrell PDF Writer/registry.ini");
    }
    // The user's values file with exactly these lines, owned by the user.
    static void writeValues(const QString& user, const QStringList& lines) {
        const QString path = valuesFile(user);
        QDir().mkpath(QFileInfo(path).path());
        chownTo(user, homeOf(user) + QStringLiteral("/.config"));
        chownTo(user, QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
        file.close();
        QVERIFY(chownTo(user, path));
    }

    // Sends data as user (lp, standard input); the job's id, or 0 when it was not taken.
    static int submit(const QString& user, const QByteArray& data, const QString& title, bool hold = false) {
        QStringList args{QStringLiteral("-u"), user, QStringLiteral("--"), QStringLiteral("lp"), QStringLiteral("-d"), Queue,
                         QStringLiteral("-t"), title};
        if (hold) args << QStringLiteral("-H") << QStringLiteral("hold");
        QString out;
        if (!PrivateCupsd::runTool(QStringLiteral("runuser"), args << QStringLiteral("-"), &out, data)) return 0;
        // "request id is Vendrell_PDF_Writer-12 (1 file(s))"
        const QRegularExpressionMatch id = QRegularExpression(Queue + QStringLiteral("-(\\d+)")).match(out);
        return id.hasMatch() ? id.captured(1).toInt() : 0;
    }
    static bool release(const QString& user, int job) {
        return PrivateCupsd::runTool(QStringLiteral("runuser"), {QStringLiteral("-u"), user, QStringLiteral("--"), QStringLiteral("lp"),
                                                                 QStringLiteral("-i"), QString::number(job), QStringLiteral("-H"),
                                                                 QStringLiteral("resume")});
    }
    // Sends data as user, bound to target as the program binds its jobs (held until its
    // "OutputFile.<job id>" is written), and waits until the scheduler is done with it.
    bool printTo(const QString& user, const QByteArray& data, const QString& title, const QString& target,
                 QStringList moreValues = {}) {
        const int job = submit(user, data, title, true);
        if (!job) return false;
        writeValues(user, moreValues << QStringLiteral("BypassSaveAs=1") << QStringLiteral("OutputFile=") + target
                                     << QStringLiteral("OutputFile.%1=").arg(job) + target);
        return release(user, job) && cupsd_.waitUntilIdle();
    }
    // Sends data as user without binding it; waits until the scheduler is done with it.
    bool print(const QString& user, const QByteArray& data, const QString& title) {
        return submit(user, data, title) && cupsd_.waitUntilIdle();
    }

    // Processes of uid with this command name.
    static QList<pid_t> processes(uid_t uid, const QByteArray& name) {
        QList<pid_t> found;
        for (const QString& pid : QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs)) {
            const QByteArray status = content(QStringLiteral("/proc/") + pid + QStringLiteral("/status"));
            if (status.startsWith("Name:\t" + name + "\n") && status.contains("\nUid:\t" + QByteArray::number(uid) + "\t"))
                found << pid.toInt();
        }
        return found;
    }

private:
    PrivateCupsd& cupsd_;
};

// What every test of the backend starts with: a private scheduler with the printer installed.
struct PdfWriterTestBed {
    std::unique_ptr<PrivateCupsd> cupsd;
    std::unique_ptr<PdfWriterJobs> jobs;
    // False, with the scheduler's error, when the printer could not be installed.
    bool start() {
        cupsd = std::make_unique<PrivateCupsd>();
        if (!PdfWriterJobs::install(*cupsd)) return false;
        jobs = std::make_unique<PdfWriterJobs>(*cupsd);
        return true;
    }
};
