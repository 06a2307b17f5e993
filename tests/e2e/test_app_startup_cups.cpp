// Start-up against a real scheduler that has no queue yet, and against one that is not running:
// the printing system is real, the boxes are answered by the test.
#include <QtTest>

#include "FakePlatform.h"
#include "RealPlatform.h"
#include "app/Form1.h"
#include "cupsd/PrivateCupsd.h"
#include "platform/linux/CupsPrinters.h"

class StartupCupsTest : public QObject {
    Q_OBJECT
    PrivateHome home;
    std::unique_ptr<PrivateCupsd> cups;
    QByteArray server;

    // Start-up with the real printers and fakes for everything else: the messages it showed and
    // how many printers the printer box lists.
    std::pair<QStringList, int> startUp() {
        FakePlatform fp;
        CupsPrinters printers;
        Platform platform{fp.dialogs, fp.settings, fp.registry, printers, fp.office, fp.shell, fp.realFiles,
                          fp.runtime, fp.platform.programFolder};
        Form1 form(platform);
        form.Form_Load();
        return {fp.dialogs.texts(), form.Combo1->count()};
    }

private slots:
    void initTestCase() {
        if (!PrivateCupsd::unavailableReason().isEmpty()) QSKIP(qPrintable(PrivateCupsd::unavailableReason()));
        cups = std::make_unique<PrivateCupsd>();
        QVERIFY2(cups->started(), qPrintable(cups->error()));
        server = qgetenv("CUPS_SERVER");
    }

    void aSchedulerWithoutQueuesOnlyGetsThePdfPrinterNote() {
        for (const char* queue : {"Alpha", "Beta"})
            QVERIFY(PrivateCupsd::runTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QLatin1String(queue)}));
        const auto [shown, printers] = startUp();
        QCOMPARE(printers, 0);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].startsWith(QStringLiteral("Vendrell PDF Writer is not installed.")), qPrintable(shown[0]));
    }

    void aStoppedSchedulerIsReportedOnceWithItsCause() {
        cups.reset();
        qputenv("CUPS_SERVER", server);  // the socket of the scheduler that is gone
        const auto [shown, printers] = startUp();
        QCOMPARE(printers, 0);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].contains(QStringLiteral("CUPS) is not running")), qPrintable(shown[0]));
        QVERIFY(shown[0].contains(QStringLiteral("sudo systemctl start cups")));
        QVERIFY(shown[0].contains(QStringLiteral("in Lumbrel2021/08/31.Form1.Form_Load at line 136")));
    }
};

QTEST_MAIN(StartupCupsTest)
#include "test_app_startup_cups.moc"
