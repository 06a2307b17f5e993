#include "OfficeSandbox.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QRegularExpression>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <unistd.h>

namespace {
const QString Bwrap = QStringLiteral("/usr/bin/bwrap");

void add(QStringList& args, const char* option, const QString& from, const QString& to) {
    args << QString::fromLatin1(option) << from << to;
}

// What every program needs to run: the system's programs, libraries and configuration, read-only; a
// process list and devices of the sandbox's own. The top-level links of a merged /usr stay links.
QStringList baseCommand() {
    QStringList args{Bwrap, QStringLiteral("--unshare-all"), QStringLiteral("--die-with-parent"),
                     QStringLiteral("--new-session"), QStringLiteral("--cap-drop"), QStringLiteral("ALL")};
    add(args, "--ro-bind", QStringLiteral("/usr"), QStringLiteral("/usr"));
    for (const char* top : {"/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32"}) {
        const QFileInfo entry(QString::fromLatin1(top));
        if (entry.isSymLink())
            add(args, "--symlink", entry.symLinkTarget(), entry.filePath());
        else if (entry.isDir())
            add(args, "--ro-bind", entry.filePath(), entry.filePath());
    }
    args << QStringLiteral("--proc") << QStringLiteral("/proc") << QStringLiteral("--dev") << QStringLiteral("/dev");
    return args;
}

// The user's own fonts and font settings, so that documents look as they do on this desktop.
void addFonts(QStringList& args) {
    add(args, "--ro-bind-try", QStringLiteral("/var/cache/fontconfig"), QStringLiteral("/var/cache/fontconfig"));
    const QString home = QDir::homePath();
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    for (const QString& folder : {home + QStringLiteral("/.fonts"), data + QStringLiteral("/fonts"),
                                  config + QStringLiteral("/fontconfig"), cache + QStringLiteral("/fontconfig")})
        add(args, "--ro-bind-try", folder, folder);
}

// The printing system as this program reaches it: its socket (CUPS_SERVER when that names one, else
// the system's), its client settings and the user's printer options, all read-only.
void addPrinting(QStringList& args) {
    const QString server = qEnvironmentVariable("CUPS_SERVER");
    if (server.startsWith(QLatin1Char('/'))) add(args, "--ro-bind-try", server, server);
    add(args, "--ro-bind-try", QStringLiteral("/run/cups"), QStringLiteral("/run/cups"));
    const QString serverRoot = qEnvironmentVariable("CUPS_SERVERROOT");
    if (!serverRoot.isEmpty()) add(args, "--ro-bind-try", serverRoot, serverRoot);
    add(args, "--ro-bind-try", QDir::homePath() + QStringLiteral("/.cups"), QStringLiteral("/tmp/.cups"));
}
}  // namespace

QStringList SandboxCommand(const SandboxPlan& plan) {
    QStringList args = baseCommand();
    add(args, "--ro-bind", QStringLiteral("/etc"), QStringLiteral("/etc"));
    // An office installed elsewhere brings its whole installation (the folder above program/).
    const QFileInfo binary(plan.binary);
    if (!plan.binary.startsWith(QStringLiteral("/usr/"))) {
        const QString installation = binary.dir().dirName() == QStringLiteral("program")
                                         ? QFileInfo(binary.absolutePath()).absolutePath() : plan.binary;
        add(args, "--ro-bind", installation, installation);
    }
    addFonts(args);
    add(args, "--bind", plan.runFolder + QStringLiteral("/tmp"), QStringLiteral("/tmp"));
    add(args, "--ro-bind", plan.runFolder + QStringLiteral("/in"), plan.runFolder + QStringLiteral("/in"));
    add(args, "--bind", plan.runFolder + QStringLiteral("/out"), plan.runFolder + QStringLiteral("/out"));
    add(args, "--bind", plan.profileFolder, plan.profileFolder);
    if (plan.printing) addPrinting(args);
    // Nothing of the desktop session: its buses and displays are not the office's business.
    args << QStringLiteral("--setenv") << QStringLiteral("HOME") << QStringLiteral("/tmp") << QStringLiteral("--setenv")
         << QStringLiteral("TMPDIR") << QStringLiteral("/tmp");
    for (const char* name : {"XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY"})
        args << QStringLiteral("--unsetenv") << QString::fromLatin1(name);
    if (!plan.printing)
        args << QStringLiteral("--unsetenv") << QStringLiteral("CUPS_SERVER");
    args << QStringLiteral("--");
    return args;
}

QString SandboxProblem() {
    static std::once_flag once;
    static QString problem;
    std::call_once(once, [] {
        if (!QFileInfo(Bwrap).isExecutable()) {
            problem = QStringLiteral("bubblewrap (%1) is not installed").arg(Bwrap);
            return;
        }
        QStringList args = baseCommand();
        args << QStringLiteral("--") << QStringLiteral("/usr/bin/true");
        QProcess probe;
        probe.start(args.takeFirst(), args);
        if (!probe.waitForFinished(10000)) {
            probe.kill();
            probe.waitForFinished();
            problem = QStringLiteral("bubblewrap did not start a sandbox within 10 seconds");
        } else if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
            problem = QString::fromLocal8Bit(probe.readAllStandardError()).trimmed();
            if (problem.isEmpty()) problem = QStringLiteral("bubblewrap failed (exit code %1)").arg(probe.exitCode());
        }
    });
    return problem;
}

QString OfficeRunFolderPrefix() { return QStringLiteral("quorvane-office-%1-").arg(::getpid()); }

// An ended program is one whose process id, in the folder's name, runs no more. Only the user's own
// folders are touched.
void RemoveOfficeRunFolders(RunFoldersOf whose) {
    static const QRegularExpression name(QStringLiteral("^quorvane-office-(\\d+)-"));
    for (const QString& base : {QDir::tempPath(), QStringLiteral("/tmp")}) {
        const QDir dir(base);
        for (const QFileInfo& folder : dir.entryInfoList({QStringLiteral("quorvane-office-*")}, QDir::Dirs | QDir::Hidden)) {
            const QRegularExpressionMatch match = name.match(folder.fileName());
            if (!match.hasMatch() || folder.ownerId() != ::getuid() || folder.isSymLink()) continue;
            const pid_t pid = pid_t(match.captured(1).toLongLong());
            const bool remove = whose == RunFoldersOf::ThisProgram ? pid == ::getpid() : ::kill(pid, 0) != 0 && errno == ESRCH;
            if (remove) QDir(folder.filePath()).removeRecursively();
        }
    }
}
