// The print-run benchmarks (not tests): what a whole run of the real program costs beyond its
// designed waits, against a fresh office per document doing the same job, measured in the same run;
// and what a pause costs the processor. Run as root through bench/printing.sh:
//
//   bench_printing [DOCUMENTS]                 everything; starts a private CUPS scheduler of its own
//   bench_printing --pdf-as-user DOCUMENTS     internal: the PDF part, as the scheduler's test user
#include <QApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

#include "Benchmarks.h"

namespace {
const QString AsUserMode = QStringLiteral("--pdf-as-user");
constexpr int ChildTimeoutMs = 30 * 60 * 1000;

// Ctrl-C or a stopping runner must not leave the scheduler, its test user or the benchmark's
// folders behind.
class CleanUpOnSignal {
public:
    CleanUpOnSignal(const QString& schedulerDir, const QString& home) {
        std::snprintf(script_, sizeof script_, "%s", QUORVANE_SOURCE_DIR "/tests/e2e/cupsd/private-cupsd.sh");
        std::snprintf(scheduler_, sizeof scheduler_, "%s", schedulerDir.toLocal8Bit().constData());
        std::snprintf(home_, sizeof home_, "%s", home.toLocal8Bit().constData());
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, &cleanUp);
    }
    ~CleanUpOnSignal() {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_DFL);
    }
    // A process of the test user's that must end first, or the user could not be removed; 0: none.
    static void setChild(pid_t pid) { child_ = pid; }

private:
    // Only async-signal-safe calls: each program is started and waited for, then the signal goes on.
    static void run(const char* program, const char* a, const char* b) {
        const pid_t child = fork();
        if (child == 0) {
            execl(program, program, a, b, static_cast<char*>(nullptr));
            _exit(127);
        }
        if (child > 0) waitpid(child, nullptr, 0);
    }
    static void cleanUp(int signal) {
        if (const pid_t child = child_; child > 0) {
            kill(child, SIGTERM);  // runuser passes it on and waits; the user's office ends with its parent
            waitpid(child, nullptr, 0);
        }
        run(script_, "stop", scheduler_);
        run("/bin/rm", "-rf", scheduler_);
        run("/bin/rm", "-rf", home_);
        std::signal(signal, SIG_DFL);
        raise(signal);
    }
    static inline char script_[4096], scheduler_[4096], home_[4096];
    static inline volatile sig_atomic_t child_ = 0;
};

void progress(const char* what) {
    std::fprintf(stderr, "bench_printing: %s (load %s)\n", what, qPrintable(LoadAverage()));
}

QString needsMissing() {
    if (!PrivateCupsd::unavailableReason().isEmpty()) return PrivateCupsd::unavailableReason();
    for (const QString tool : {QStringLiteral("soffice"), QStringLiteral("pdftotext"), QStringLiteral("runuser")})
        if (QStandardPaths::findExecutable(tool).isEmpty()) return tool + QStringLiteral(" is not installed");
    return {};
}

// Runs this program's PDF part as the scheduler's test user, with an environment of the user's
// own, and reads back the figures it prints ("figure NAME VALUE" lines).
Figures pdfFiguresAsTestUser(const PrivateCupsd& cups, int count) {
    const QString user = cups.testUser(), home = cups.testHome();
    const QString self = QCoreApplication::applicationFilePath();
    if (!PrivateCupsd::runTool(QStringLiteral("runuser"), {QStringLiteral("-u"), user, QStringLiteral("--"),
                                                           QStringLiteral("test"), QStringLiteral("-x"), self}))
        throw BenchFailure{QStringLiteral("the test user %1 cannot run %2").arg(user, self)};
    const QString runtime = home + QStringLiteral("/runtime");
    PrivateCupsd::runTool(QStringLiteral("install"), {QStringLiteral("-d"), QStringLiteral("-m"), QStringLiteral("0700"),
                                                      QStringLiteral("-o"), user, QStringLiteral("-g"), user, runtime});
    const QStringList environment{
        QStringLiteral("PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"),
        QStringLiteral("LANG=C.UTF-8"),
        QStringLiteral("HOME=") + home,
        QStringLiteral("XDG_CONFIG_HOME=") + home + QStringLiteral("/.config"),
        QStringLiteral("XDG_DATA_HOME=") + home + QStringLiteral("/.local/share"),
        QStringLiteral("XDG_CACHE_HOME=") + home + QStringLiteral("/.cache"),
        QStringLiteral("XDG_RUNTIME_DIR=") + runtime,
        QStringLiteral("CUPS_SERVER=") + qEnvironmentVariable("CUPS_SERVER"),
        QStringLiteral("CUPS_SERVERROOT=") + qEnvironmentVariable("CUPS_SERVERROOT"),
        QStringLiteral("QT_QPA_PLATFORM=offscreen"),
    };
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.setWorkingDirectory(home);
    child.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), user, QStringLiteral("--"), QStringLiteral("env"),
                                                       QStringLiteral("-i")} +
                                               environment + QStringList{self, AsUserMode, QString::number(count)});
    CleanUpOnSignal::setChild(pid_t(child.processId()));
    const auto noChild = qScopeGuard([] { CleanUpOnSignal::setChild(0); });
    if (!child.waitForFinished(ChildTimeoutMs)) {
        child.terminate();  // runuser passes it on; the user's office ends with its parent
        if (!child.waitForFinished(10000)) child.kill();
        child.waitForFinished();
        throw BenchFailure{QStringLiteral("the PDF part did not end in time")};
    }
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        throw BenchFailure{QStringLiteral("the PDF part failed as %1").arg(user)};
    Figures figures;
    for (const QString& line : QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QStringList parts = line.split(QLatin1Char(' '));
        if (parts.size() == 3 && parts[0] == QStringLiteral("figure")) figures[parts[1]] = parts[2].toDouble();
    }
    return figures;
}

void printComparison(const Figures& f, const QString& prefix, const char* title, const char* reference, double target) {
    const auto v = [&](const char* name) { return f.value(prefix + QLatin1String(name)); };
    std::printf("%s\n", title);
    std::printf("  program, beyond its designed waits (mean)   %6.3f s   (pass median %.3f s, max %.3f s; waits counted %.3f s)\n",
                v("run"), v("passMedian"), v("passMax"), v("waits"));
    std::printf("  %-43s %6.3f s   (median %.3f s)\n", reference, v("refMean"), v("refMedian"));
    std::printf("  ratio of means                              %6.2f     (target <= %.2f)\n", v("run") / v("refMean"), target);
    std::printf("  ratio of medians                            %6.2f\n", v("passMedian") / v("refMedian"));
    std::printf("  CPU inside the run's waits                  %6.2f %% of one core\n", v("waitCpu"));
}

void printTable(const Figures& f, int count, const QString& loadBefore, const QString& loadAfter) {
    std::printf("\nPrint-run benchmarks: %d one-page documents, pause box 0, private CUPS scheduler, offscreen window.\n", count);
    std::printf("Per document; reference = a fresh office process per document (own profile, first start not measured).\n");
    std::printf("Load average (1 min) %s before, %s after, on %d cores.\n\n", qPrintable(loadBefore), qPrintable(loadAfter),
                QThread::idealThreadCount());
    printComparison(f, QStringLiteral("queue."), "1. Print run to queue Alpha, until the last job is kept",
                    "soffice --headless -p FILE", 0.10);
    std::printf("\n2. Pause of %.0f s, WaitSeconds on this machine's runtime (main window shown)\n", f.value(QStringLiteral("pause.seconds")));
    std::printf("  CPU                                         %6.2f %% of one core   (target <= 2 %%)\n", f.value(QStringLiteral("pause.cpu")));
    std::printf("  busy loop of the same length, pumping       %6.2f %% of one core\n\n", f.value(QStringLiteral("pause.busy")));
    printComparison(f, QStringLiteral("pdf."), "3. PDF run to \"Vendrell PDF Writer\" as the test user, until the last PDF is written",
                    "soffice --headless --convert-to pdf FILE", 0.5);
}

int asTestUser(int count) {
    if (geteuid() == 0) throw BenchFailure{QStringLiteral("the PDF part must not run as root")};
    for (auto [name, value] : PdfFigures(count).asKeyValueRange())
        std::printf("figure %s %.6f\n", qPrintable(name), value);
    return 0;
}

int asRoot(int count) {
    if (const QString missing = needsMissing(); !missing.isEmpty()) throw BenchFailure{missing};
    PrivateHome home;  // settings, registry values and office profiles of the benchmark's own
    PrivateCupsd cups;
    if (!cups.started()) throw BenchFailure{QStringLiteral("no private scheduler: ") + cups.error()};
    const QStringList documents = MakeDocuments(home.path() + QStringLiteral("/documents"), count);
    const CleanUpOnSignal cleanUp(cups.dir(), home.path());
    const QString loadBefore = LoadAverage();
    Figures figures;
    progress("pause");
    figures.insert(PauseFigures());
    progress("print run to Alpha, then soffice -p");
    figures.insert(QueueFigures(cups, documents));
    progress("PDF run, then soffice --convert-to pdf, as the test user");
    if (!cups.installPdfWriter()) throw BenchFailure{QStringLiteral("cannot install the PDF printer: ") + cups.error()};
    figures.insert(pdfFiguresAsTestUser(cups, count));
    printTable(figures, count, loadBefore, LoadAverage());
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool child = !arguments.isEmpty() && arguments.first() == AsUserMode;
    if (child) arguments.removeFirst();
    // The progress bar's values tell the passes apart, which holds for up to 100 documents.
    const int count = std::clamp(arguments.isEmpty() ? 20 : arguments.first().toInt(), 1, 100);
    try {
        return child ? asTestUser(count) : asRoot(count);
    } catch (const BenchFailure& failure) {
        std::fprintf(stderr, "bench_printing: %s\n", qPrintable(failure.why));
        return 1;
    }
}
