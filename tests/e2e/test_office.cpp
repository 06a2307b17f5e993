// The office bridge against the real office: start, warm reuse, late-bound calls, failures that must
// come back as errors, and an office that crashes, hangs or would outlive the program.
#include <QtTest>
#include <clocale>
#include <csignal>

#include "OfficePass.h"
#include "OdtWriter.h"
#include "RealPlatform.h"

namespace {
constexpr int OfficeException = -2147352567;
constexpr int OfficeGone = -2147023174;
constexpr int OfficeCallFailed = -2147023170;
const char* const HoldOfficeArgument = "--hold-office";

std::unique_ptr<Office> loadOffice() { return LoadOffice(QStringLiteral(QUORVANE_PROGRAM_DIR)); }

int numberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& e) {
        return e.number;
    }
    return 0;
}


// The child that starts the office and waits to be killed: as a program that crashes.
int holdOffice() {
    auto office = loadOffice();
    office->createServiceManager();
    std::puts("ready");
    std::fflush(stdout);
    ::pause();
    return 0;
}
}  // namespace

class OfficeTest : public QObject {
    Q_OBJECT
    QTemporaryDir home, docs;

    QString document(const QString& name, const QString& text) {
        const QString path = docs.path() + QLatin1Char('/') + name;
        odt::write(path, {text});
        return path;
    }
    static void signalOffices(int signal) {
        for (const qint64 pid : OfficeProcesses()) ::kill(pid_t(pid), signal);
    }

private slots:
    void initTestCase() {
        if (!QFile::exists(QStringLiteral("/usr/lib/libreoffice/program/soffice.bin"))) QSKIP("LibreOffice is not installed");
        if (!QFile::exists(QStringLiteral(QUORVANE_PROGRAM_DIR "/quorvane_uno.so"))) QSKIP("the office bridge was not built");
        // The office's profile lives below HOME; no printing system is reachable.
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
        qputenv("CUPS_SERVER", (home.path() + QStringLiteral("/no-cupsd.sock")).toUtf8());
        qunsetenv("QUORVANE_SOFFICE");
        qputenv("QUORVANE_OFFICE_TIMEOUT", "20");
    }

    void cleanup() {
        qputenv("QUORVANE_OFFICE_TIMEOUT", "20");
        qunsetenv("QUORVANE_SOFFICE");
        signalOffices(SIGKILL);
        QTRY_VERIFY(OfficeProcesses().isEmpty());
    }

    void aWarmOfficeIsReusedAndSharedButOnlyItsStarterEndsIt() {
        auto office = loadOffice();
        QVERIFY(office->createServiceManager());
        const QList<qint64> started = OfficeProcesses();
        QCOMPARE(started.size(), 1);
        QVERIFY(office->createServiceManager());
        QCOMPARE(OfficeProcesses(), started);

        auto second = loadOffice();  // a second window of the program finds the same office
        OfficePass pass(*second, document(QStringLiteral("shared.odt"), QStringLiteral("Shared")));
        pass.document->close(true);
        second->shutdown();
        QCOMPARE(OfficeProcesses(), started);

        office->shutdown();
        QTRY_VERIFY(OfficeProcesses().isEmpty());
        QVERIFY(office->createServiceManager());  // and after the end a new one starts
        office->shutdown();
        QTRY_VERIFY(OfficeProcesses().isEmpty());
    }

    // Until its profile records the version that ran on it, an office takes every start for the first
    // after an upgrade and runs its graphics self-tests (seconds, and some 200 MB) before it answers.
    void onlyAFreshProfileCostsTheOfficeItsSelfTests() {
        const QString log = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) +
                            QStringLiteral("/quorvane/office-profile/user/GraphicsRenderTests.log");
        auto office = loadOffice();
        for (int start = 0; start < 2; ++start) {
            QVERIFY(office->createServiceManager());
            office->shutdown();
            QTRY_VERIFY(OfficeProcesses().isEmpty());
            if (start == 0) QVERIFY2(QFile::remove(log) || !QFile::exists(log), qPrintable(log));
        }
        QVERIFY2(!QFile::exists(log), "the office ran its self-tests again");
    }

    void namesThatAUrlMustEscapeLoad() {
        auto office = loadOffice();
        for (const QString& name : {QStringLiteral("Q&A #3 (final) 100%.odt"), QString::fromUtf8("Résumé Müller.odt"),
                                    QStringLiteral("plain.odt")}) {
            OfficePass pass(*office, document(name, QStringLiteral("Escaped names")));
            QVERIFY(pass.frame);
            pass.document->close(true);
        }
        // An already escaped URL is the office's to read.
        const QString spaced = document(QStringLiteral("a b.odt"), QStringLiteral("Spaced"));
        auto desktop = office->createServiceManager()->createInstance(QStringLiteral("com.sun.star.frame.Desktop"));
        desktop->loadComponentFromURL(QUrl::fromLocalFile(spaced).toString(QUrl::FullyEncoded), QStringLiteral("_blank"),
                                      0, {})->close(true);
    }

    void aLocaleThatIsNotUtf8StillFindsNonAsciiNames() {
        const QByteArray saved = qgetenv("LC_ALL");
        qputenv("LC_ALL", "C");
        std::setlocale(LC_ALL, "C");
        auto office = loadOffice();
        OfficePass pass(*office, document(QString::fromUtf8("Ünïcödé.odt"), QStringLiteral("Locale")));
        pass.document->close(true);
        office->shutdown();
        qputenv("LC_ALL", saved);
        std::setlocale(LC_ALL, "");
    }

    void failuresComeBackAsErrorsWithTheOfficesMessage() {
        auto office = loadOffice();
        auto serviceManager = office->createServiceManager();
        auto desktop = serviceManager->createInstance(QStringLiteral("com.sun.star.frame.Desktop"));
        try {
            desktop->loadComponentFromURL(FileUrl(docs.path() + QStringLiteral("/missing.odt")),
                                          QStringLiteral("_blank"), 0, {});
            QFAIL("a missing document loaded");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number, OfficeException);
            QVERIFY2(e.description.contains(QStringLiteral("missing.odt")), qPrintable(e.description));
            QVERIFY2(!e.description.contains(QStringLiteral(".cxx:")), qPrintable(e.description));
        }
        const QString folder = docs.path();
        QCOMPARE(numberOf([&] { desktop->loadComponentFromURL(FileUrl(folder), QStringLiteral("_blank"), 0, {}); }),
                 OfficeException);
        QCOMPARE(numberOf([&] { serviceManager->createInstance(QStringLiteral("com.sun.star.NoSuchService")); }), OfficeException);
        // A broken document: the office gives nothing back and raises nothing, which must not pass.
        const QString broken = document(QStringLiteral("broken.odt"), QStringLiteral("Broken"));
        QFile::resize(broken, 400);
        QCOMPARE(numberOf([&] { desktop->loadComponentFromURL(FileUrl(broken), QStringLiteral("_blank"), 0, {}); }),
                 OfficeException);
        // Members an object does not have, and arguments of the wrong kind.
        QCOMPARE(numberOf([&] { desktop->getFrame(); }), Err::notSupported().number);
        QCOMPARE(numberOf([&] { desktop->Bridge_GetStruct(QStringLiteral("com.sun.star.beans.PropertyValue")); }),
                 Err::notSupported().number);
        PropertyValue wrongKind{QStringLiteral("com.sun.star.beans.NamedValue"), QStringLiteral("Hidden"), true};
        QCOMPARE(numberOf([&] { desktop->loadComponentFromURL(QStringLiteral("private:factory/swriter"), QStringLiteral("_blank"), 0, {wrongKind}); }),
                 Err::typeMismatch().number);
        // The office is still there for the next document.
        OfficePass pass(*office, document(QStringLiteral("after-errors.odt"), QStringLiteral("After errors")));
        pass.document->close(true);
    }

    void anOfficeThatIsMissingOrCannotStartCannotBeCreated() {
        // A plugin that cannot be loaded (as without the office's UNO runtime).
        QTemporaryDir folder;
        QFile plugin(folder.path() + QStringLiteral("/quorvane_uno.so"));
        QVERIFY(plugin.open(QIODevice::WriteOnly) && plugin.write("not a library") > 0);
        plugin.close();
        QCOMPARE(numberOf([&] { LoadOffice(folder.path())->createServiceManager(); }), Err::cannotCreateObject().number);
        const QString text = folder.path() + QStringLiteral("/text.bin");  // executable, but no program
        QFile(plugin.fileName()).copy(text);
        QFile::setPermissions(text, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // Missing, not executable, ending at once, not a program.
        for (const QString& binary : {QStringLiteral("/nonexistent/soffice.bin"), plugin.fileName(),
                                      QStringLiteral("/bin/false"), text}) {
            qputenv("QUORVANE_SOFFICE", binary.toLocal8Bit());
            auto office = loadOffice();
            QCOMPARE(numberOf([&] { office->createServiceManager(); }), Err::cannotCreateObject().number);
            office->shutdown();
        }
    }

    void aKilledOfficeIsReplacedByTheNextServiceManager() {
        auto office = loadOffice();
        OfficePass first(*office, document(QStringLiteral("before-kill.odt"), QStringLiteral("Before")));
        const QList<qint64> killed = OfficeProcesses();
        signalOffices(SIGKILL);
        QCOMPARE(numberOf([&] { first.document->close(true); }), OfficeGone);
        OfficePass next(*office, document(QStringLiteral("after-kill.odt"), QStringLiteral("After")));
        next.document->close(true);
        QVERIFY(!OfficeProcesses().isEmpty());
        QVERIFY(OfficeProcesses() != killed);
        office->shutdown();
    }

    void aStoppedOfficeFailsTheCallWithinTheBoundAndIsReplaced() {
        qputenv("QUORVANE_OFFICE_TIMEOUT", "5");
        auto office = loadOffice();
        OfficePass first(*office, document(QStringLiteral("stopped.odt"), QStringLiteral("Stopped")));
        signalOffices(SIGSTOP);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(numberOf([&] { first.document->close(true); }), OfficeCallFailed);
        QVERIFY2(timer.elapsed() < 20000, "the call was not bounded");  // 5 s bound; generous for a loaded machine
        QTRY_VERIFY(OfficeProcesses().isEmpty());  // the stopped office was ended
        OfficePass next(*office, document(QStringLiteral("after-stop.odt"), QStringLiteral("After stop")));
        next.document->close(true);

        // Stopped between two documents: the next service manager comes from a fresh office.
        signalOffices(SIGSTOP);
        OfficePass fresh(*office, document(QStringLiteral("fresh.odt"), QStringLiteral("Fresh")));
        fresh.document->close(true);
        office->shutdown();
    }

    void noOfficeOutlivesAProgramThatIsKilled() {
        QProcess program;
        program.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(HoldOfficeArgument)});
        QVERIFY(program.waitForReadyRead(60000));
        QCOMPARE(program.readLine().trimmed(), QByteArray("ready"));
        QCOMPARE(OfficeProcesses().size(), 1);
        ::kill(pid_t(program.processId()), SIGKILL);
        program.waitForFinished();
        QTRY_VERIFY_WITH_TIMEOUT(OfficeProcesses().isEmpty(), 10000);
    }
};

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], HoldOfficeArgument) == 0) {
        QCoreApplication app(argc, argv);
        return holdOffice();
    }
    QApplication app(argc, argv);
    OfficeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_office.moc"
