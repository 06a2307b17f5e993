#include "OfficeProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/RuntimeError.h"
#include "platform/linux/OfficeSandbox.h"

extern char** environ;

namespace {
// The office's own exit codes that ask its launcher to start it again.
constexpr int RestartAfterCrash = 79;
constexpr int RestartRequested = 81;
constexpr int MaxRestarts = 3;

// argv and envp prepared before fork: the child may only make async-signal-safe calls.
struct ExecArguments {
    std::vector<QByteArray> storage;
    std::vector<char*> argv, envp;

    // temporaryFolder: the office's TMPDIR.
    ExecArguments(const QStringList& args, const QString& temporaryFolder) {
        for (const QString& a : args) storage.push_back(a.toLocal8Bit());
        const size_t argc = storage.size();
        // File names are UTF-8 to this program whatever the locale says; the office turns URLs into
        // names by its locale, so it must have a UTF-8 one.
        const bool utf8 = qstrcmp(nl_langinfo(CODESET), "UTF-8") == 0;
        for (char** e = environ; *e; ++e) {
            // The UNO bootstrap variable set for this process would misdirect another office installation.
            if (qstrncmp(*e, "URE_BOOTSTRAP=", 14) == 0) continue;
            if (!utf8 && qstrncmp(*e, "LC_ALL=", 7) == 0) continue;
            if (qstrncmp(*e, "TMPDIR=", 7) == 0) continue;
            storage.emplace_back(*e);
        }
        if (!utf8) storage.emplace_back("LC_ALL=C.UTF-8");
        storage.push_back("TMPDIR=" + QFile::encodeName(temporaryFolder));
        for (size_t i = 0; i < argc; ++i) argv.push_back(storage[i].data());
        argv.push_back(nullptr);
        for (size_t i = argc; i < storage.size(); ++i) envp.push_back(storage[i].data());
        envp.push_back(nullptr);
    }
};

QString profileArgument(const OfficeSettings& s) { return QStringLiteral("-env:UserInstallation=") + s.profileUrl; }

// The processor time a process has used, in clock ticks.
std::optional<long long> ticksOf(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return std::nullopt;
    // The fields after the command name, which may itself hold blanks and parentheses: utime and
    // stime are the 12th and 13th of them.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) return std::nullopt;
    return fields[11].toLongLong() + fields[12].toLongLong();
}

// A socket's path must fit its address (108 bytes with the final zero).
constexpr qsizetype MaxSocketPath = 107;
}  // namespace

OfficeProcess::~OfficeProcess() { removeRunFolder(); }

QString OfficeProcess::pipePath() const {
    if (!settings_.sandboxed || runFolder_.isEmpty()) return {};
    return runFolder_ + QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::getuid()).arg(settings_.pipeName);
}

// A folder of this office's own in TMPDIR (in /tmp when TMPDIR is too deep for the pipe's address),
// for the user alone, named for this process (see RemoveOfficeRunFolders).
void OfficeProcess::makeRunFolder() {
    removeRunFolder();
    RemoveOfficeRunFolders(RunFoldersOf::EndedPrograms);  // a killed program's copies of documents do not stay for ever
    QString base = QDir::tempPath();
    const QString name = OfficeRunFolderPrefix() + QStringLiteral("XXXXXX");
    const qsizetype pipeTail = name.size() + QStringLiteral("//tmp/OSL_PIPE_%1_").arg(::getuid()).size() + settings_.pipeName.size();
    if (QFile::encodeName(base).size() + pipeTail > MaxSocketPath) base = QStringLiteral("/tmp");
    QByteArray pattern = QFile::encodeName(base + QLatin1Char('/') + name);
    if (!::mkdtemp(pattern.data()))
        throw RuntimeError(Err::cannotCreateObject().number,
                           QStringLiteral("No folder for the office in %1: %2").arg(base, QString::fromLocal8Bit(::strerror(errno))));
    runFolder_ = QFile::decodeName(pattern);
    for (const char* sub : {"/tmp", "/in", "/out"}) QDir().mkdir(runFolder_ + QLatin1String(sub));
}

void OfficeProcess::removeRunFolder() {
    if (runFolder_.isEmpty()) return;
    QDir(runFolder_).removeRecursively();
    runFolder_.clear();
}

bool OfficeProcess::installed() const {
    const QFileInfo binary(settings_.binary);
    return binary.isFile() && binary.isExecutable();
}

void OfficeProcess::start() {
    if (!installed()) throw RuntimeError(Err::cannotCreateObject().number, QStringLiteral("No office at ") + settings_.binary);
    if (settings_.sandboxed) {
        if (const QString problem = SandboxProblem(); !problem.isEmpty())
            throw RuntimeError(Err::cannotCreateObject().number, QStringLiteral("The office cannot run in its sandbox: ") + problem);
    }
    // Also an office without a sandbox keeps its temporary files (certificate databases and the like)
    // in a folder of its own, which goes when it ends, also when the program ends at once.
    makeRunFolder();
    QDir().mkpath(settings_.profileFolder);
    restarts_ = 0;
    spawn();
}

void OfficeProcess::spawn() {
    QStringList command;
    if (settings_.sandboxed)
        command = SandboxCommand({runFolder_, settings_.profileFolder, settings_.binary, printing_});
    command << settings_.binary << profileArgument(settings_) << QStringLiteral("--headless") << QStringLiteral("--invisible")
            << QStringLiteral("--norestore") << QStringLiteral("--nologo") << QStringLiteral("--nodefault")
            << QStringLiteral("--nolockcheck") << QStringLiteral("--accept=pipe,name=") + settings_.pipeName + QStringLiteral(";urp;");
    ExecArguments exec(command, settings_.sandboxed ? QStringLiteral("/tmp") : runFolder_ + QStringLiteral("/tmp"));
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) throw RuntimeError(Err::cannotCreateObject().number, QStringLiteral("Cannot start the office"));
    if (pid == 0) {
        // The parent-death signal follows the thread that forked: the UI thread, which lives as long
        // as the program. SIGKILL, because an office that hangs would ignore anything milder.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        ::setpgid(0, 0);  // a terminal's Ctrl+C is the program's business; the office follows by the signal
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        ::close_range(3, ~0U, 0);
        ::execve(exec.argv[0], exec.argv.data(), exec.envp.data());
        ::_exit(127);
    }
    child_ = pid;
}

bool OfficeProcess::exited() {
    const pid_t pid = child_;
    if (pid == 0) return true;
    int status = 0;
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == 0) return false;
    child_ = 0;
    if (r == pid && WIFEXITED(status)) {
        exitCode_ = WEXITSTATUS(status);
        if ((exitCode_ == RestartRequested || exitCode_ == RestartAfterCrash) && restarts_ < MaxRestarts) {
            ++restarts_;
            spawn();
            return false;
        }
    } else {
        exitCode_ = -1;
    }
    return true;
}

// A sandboxed office is a grandchild, below its sandbox's processes. It is found once among the processes
// on the profile (every office call asks for its time), and again when it has gone.
std::optional<long long> OfficeProcess::cpuTicks() const {
    const pid_t pid = child_;
    if (pid <= 0) return std::nullopt;
    if (!settings_.sandboxed) return ticksOf(pid);
    std::lock_guard lock(officeMutex_);
    if (office_ > 0)
        if (const auto ticks = ticksOf(office_)) return ticks;
    office_ = 0;
    try {
        for (const pid_t candidate : officesOnProfile()) {
            QFile name(QStringLiteral("/proc/%1/comm").arg(candidate));
            if (name.open(QIODevice::ReadOnly) && name.readAll().trimmed() != "bwrap") office_ = candidate;
        }
    } catch (...) {
        return std::nullopt;  // listing processes fails only for want of memory
    }
    return office_ > 0 ? ticksOf(office_) : std::nullopt;
}

void OfficeProcess::kill() noexcept {
    if (const pid_t pid = child_; pid > 0) ::kill(pid, SIGKILL);
    try {
        for (const pid_t pid : officesOnProfile()) ::kill(pid, SIGKILL);
    } catch (...) {
        // Listing processes can only fail for want of memory; this program's own office is ended anyway.
    }
}

bool OfficeProcess::reap(std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    restarts_ = MaxRestarts;  // an office being ended is not started again
    while (!exited()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QThread::msleep(20);
    }
    // Offices on the profile that this program did not start (left by another instance) end too.
    while (!officesOnProfile().isEmpty()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        QThread::msleep(20);
    }
    removeRunFolder();
    return true;
}

// Every process of this user whose arguments name this profile, whoever started it
// (the office's own launcher passes the arguments on to the office).
QList<pid_t> OfficeProcess::officesOnProfile() const {
    QList<pid_t> pids;
    const QByteArray wanted = profileArgument(settings_).toLocal8Bit();
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const pid_t pid = pid_t(entry.toInt(&numeric));
        if (!numeric || pid == ::getpid()) continue;
        struct stat st {};
        const QByteArray dir = "/proc/" + entry.toLatin1();
        if (::stat(dir.constData(), &st) != 0 || st.st_uid != ::getuid()) continue;
        QFile cmdline(QString::fromLatin1(dir) + QStringLiteral("/cmdline"));
        if (!cmdline.open(QIODevice::ReadOnly)) continue;
        // A zombie has no arguments left, so an office that has ended is not listed.
        if (cmdline.readAll().split('\0').contains(wanted)) pids << pid;
    }
    return pids;
}
