// Start-up benchmark: the time from starting the program to its main window shown, with no office
// running (cold) and with the program's office already running (warm), against the office's own
// cold start (soffice --headless until it answers a UNO connection), all measured in one run; and
// the cost of one document (load hidden, print, close) on the warm office.
//
//   bench_startup [ROUNDS]     the figures (run through bench/startup.sh, which isolates HOME and CUPS)
//   bench_startup --program    internal: starts as the program does and says when the window is shown
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStyleFactory>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <com/sun/star/bridge/XBridgeFactory.hpp>
#include <com/sun/star/connection/XConnector.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cstdio>

#include "app/Form1.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/ProgramFolder.h"
#include "platform/linux/OfficeLoader.h"
#include "OfficePass.h"

using namespace com::sun::star;

namespace {
const QString ProgramMode = QStringLiteral("--program");

// No one sits at the benchmark: every box is answered at once (and counted), as a user would
// close it, so that a box never stops the clock.
class AnsweringDialogs : public Dialogs {
public:
    int shown = 0;
    Answer messageBox(QObject*, const MessageBoxRequest& r) override {
        ++shown;
        return r.buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    QString inputBox(QObject*, const QString&, const QString&, const QString&) override { return {}; }
    QString showOpen(QObject*, const OpenFileRequest&) override { return {}; }
    QString browseForFolder(QObject*, const QString&, const QString&) override { return {}; }
};

// The window counts as shown when it has painted for the first time.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(std::function<void()> then) : then_(std::move(then)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && then_) std::exchange(then_, nullptr)();
        return false;
    }

private:
    std::function<void()> then_;
};

// As main() starts the program, with the boxes answered.
int runProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    LinuxPlatform machine;
    AnsweringDialogs dialogs;
    Platform& real = machine.platform();
    Platform platform{dialogs, real.settings, real.registry, real.printers, real.office,
                      real.shell, real.files, real.runtime, real.programFolder};
    Form1 form(platform);
    form.Form_Load();
    FirstPaint probe([&] {
        std::printf("shown %d\n", dialogs.shown);
        std::fflush(stdout);
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    form.installEventFilter(&probe);
    form.show();
    const int code = QApplication::exec();
    platform.office.shutdown();
    return code;
}

double seconds(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e9; }

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

[[noreturn]] void fail(const QString& why) {
    std::fprintf(stderr, "bench_startup: %s\n", qPrintable(why));
    std::exit(1);
}

// From starting a program process to its window shown.
double programStart() {
    QElapsedTimer timer;
    timer.start();
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QCoreApplication::applicationFilePath(), {ProgramMode});
    QByteArray line;
    while (!line.startsWith("shown") && program.waitForReadyRead(120000)) line = program.readLine();
    const double elapsed = seconds(timer);
    if (!line.startsWith("shown")) fail(QStringLiteral("the program did not show its window"));
    if (line.trimmed() != "shown 0") fail(QStringLiteral("the program showed message boxes on start-up: ") + line.trimmed());
    program.waitForFinished(60000);  // its own office (cold start) ends with it
    return elapsed;
}

// The office's own cold start: soffice --headless, then a UNO connection until the office answers.
class ReferenceStart {
public:
    ReferenceStart() {
        ::setenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" QUORVANE_OFFICE_PROGRAM "/fundamentalrc", 1);
        local_ = cppu::defaultBootstrap_InitialComponentContext();
        profile_ = QDir::tempPath() + QStringLiteral("/quorvane-bench-reference-%1").arg(QCoreApplication::applicationPid());
    }
    ~ReferenceStart() { QDir(profile_).removeRecursively(); }

    double measure() {
        const QString pipe = QStringLiteral("quorvane-bench-reference-%1").arg(QCoreApplication::applicationPid());
        QElapsedTimer timer;
        timer.start();
        QProcess office;
        office.start(QStringLiteral(QUORVANE_OFFICE_PROGRAM "/soffice"),
                     {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile_).toString(),
                      QStringLiteral("--headless"), QStringLiteral("--invisible"), QStringLiteral("--norestore"),
                      QStringLiteral("--nologo"), QStringLiteral("--nodefault"),
                      QStringLiteral("--accept=pipe,name=") + pipe + QStringLiteral(";urp;")});
        uno::Reference<uno::XComponentContext> remote;
        while (!(remote = connect(pipe)).is()) {
            if (timer.elapsed() > 120000 || office.state() == QProcess::NotRunning) fail(QStringLiteral("soffice did not answer"));
            QThread::msleep(10);
        }
        const double elapsed = seconds(timer);
        try {
            frame::Desktop::create(remote)->terminate();
        } catch (const uno::Exception&) {
            // It may end before it answers.
        }
        if (!office.waitForFinished(30000)) office.kill();
        return elapsed;
    }

private:
    uno::Reference<uno::XComponentContext> connect(const QString& pipe) {
        try {
            const auto smgr = local_->getServiceManager();
            const uno::Reference<connection::XConnector> connector(
                smgr->createInstanceWithContext("com.sun.star.connection.Connector", local_), uno::UNO_QUERY_THROW);
            const auto connection = connector->connect(
                rtl::OUString::fromUtf8(("pipe,name=" + pipe).toUtf8().constData()));
            const uno::Reference<bridge::XBridgeFactory> factory(
                smgr->createInstanceWithContext("com.sun.star.bridge.BridgeFactory", local_), uno::UNO_QUERY_THROW);
            const auto bridge = factory->createBridge(rtl::OUString(), "urp", connection, nullptr);
            return uno::Reference<uno::XComponentContext>(bridge->getInstance("StarOffice.ComponentContext"), uno::UNO_QUERY);
        } catch (const uno::Exception&) {
            return nullptr;
        }
    }

    uno::Reference<uno::XComponentContext> local_;
    QString profile_;
};

// One document on a warm office, as a print pass makes it: load hidden, print, close.
double documentPass(Office& office, const QString& path) {
    QElapsedTimer timer;
    timer.start();
    OfficePass pass(office, path);
    pass.print();
    pass.close();
    return seconds(timer);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && QString::fromLocal8Bit(argv[1]) == ProgramMode) return runProgram(argc, argv);
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;
    const QString sample = ProgramFolder() + QStringLiteral("/Samples/Business Letter.odt");
    if (!QFile::exists(sample)) fail(QStringLiteral("no sample document at ") + sample);

    ReferenceStart reference;
    // Not measured: the first starts create the profiles and the program's first-start record.
    reference.measure();
    programStart();

    std::vector<double> references, colds, warms, documents;
    for (int round = 0; round < rounds; ++round) {
        references.push_back(reference.measure());
        colds.push_back(programStart());
        const std::unique_ptr<Office> office = LoadOffice(ProgramFolder());
        office->createServiceManager();  // the program's office, kept running for the warm start
        warms.push_back(programStart());
        documentPass(*office, sample);  // the document's first pass loads Writer's code
        for (int i = 0; i < 5; ++i) documents.push_back(documentPass(*office, sample));
        office->shutdown();
        std::fprintf(stderr, "round %d: reference %.3f s, cold %.3f s, warm %.3f s\n", round + 1, references.back(),
                     colds.back(), warms.back());
    }
    const double ref = median(references), cold = median(colds), warm = median(warms), doc = median(documents);
    std::printf("Medians of %d rounds (program: start to main window shown; offscreen window)\n", rounds);
    std::printf("  office's own cold start (soffice --headless + UNO connect)  %.3f s\n", ref);
    std::printf("  program start, cold office   %.3f s   %.2f x reference   (target <= 1.2 x)\n", cold, cold / ref);
    std::printf("  program start, warm office   %.3f s   %.2f x reference   (target <= 0.5 s)\n", warm, warm / ref);
    std::printf("  one document on a warm office (load hidden, print, close)  %.3f s   (%zu passes)\n", doc,
                documents.size());
    return 0;
}
