// The CUPS printer layer against a private scheduler: names, the description rule, the default.
#include <QtTest>
#include <cups/cups.h>

#include "cupsd/PrivateCupsd.h"
#include "platform/RuntimeError.h"
#include "platform/linux/CupsPrinters.h"

class CupsPrintersTest : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    std::unique_ptr<PrivateCupsd> cupsd;
    CupsPrinters printers;

    QString lpoptions() const {
        QFile file(home.path() + QStringLiteral("/.cups/lpoptions"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // The default as a user of this scheduler sees it through the standard client.
    QString defaultSeenBy(const QString& user, const QString& userHome) const {
        QString out;
        PrivateCupsd::runTool(QStringLiteral("runuser"),
                              {QStringLiteral("-u"), user, QStringLiteral("--"), QStringLiteral("env"),
                               QStringLiteral("HOME=") + userHome, QStringLiteral("lpstat"), QStringLiteral("-d")},
                              &out);
        return out.trimmed();
    }

private slots:
    void initTestCase() {
        const QString reason = PrivateCupsd::unavailableReason();
        if (!reason.isEmpty()) QSKIP(qPrintable(reason));
        qputenv("HOME", home.path().toUtf8());  // every user's lpoptions, root's too, lives below HOME
        cupsd = std::make_unique<PrivateCupsd>();
        QVERIFY2(cupsd->started(), qPrintable(cupsd->error()));
    }

    void namesFollowTheDescriptionRule() {
        QCOMPARE(printers.installedPrinters(), (QStringList{"Alpha", "Beta"}));
        QVERIFY(cupsd->addQueue(QStringLiteral("Vendrell_PDF_Writer"), QStringLiteral("Vendrell PDF Writer")));
        QVERIFY(cupsd->addQueue(QStringLiteral("Office_2"), QStringLiteral("Fourth floor")));
        QVERIFY(cupsd->addQueue(QStringLiteral("Office_1"), QStringLiteral("Fourth floor")));
        QVERIFY(cupsd->addQueue(QStringLiteral("Lookalike"), QStringLiteral("Beta")));
        QVERIFY(cupsd->addQueue(QStringLiteral("Sales"), QString::fromUtf8("Verkauf – Büro")));
        // Duplicate descriptions and a description naming another queue fall back to the queue names.
        QCOMPARE(printers.installedPrinters(),
                 (QStringList{"Alpha", "Beta", "Lookalike", "Office_1", "Office_2", QString::fromUtf8("Verkauf – Büro"),
                              "Vendrell PDF Writer"}));
    }

    void defaultRoundTrip() {
        QCOMPARE(printers.defaultPrinter(), QString());  // no default is a normal state
        printers.setDefaultPrinter(QStringLiteral("Beta"));
        QCOMPARE(printers.defaultPrinter(), QStringLiteral("Beta"));
        printers.setDefaultPrinter(QStringLiteral("Vendrell PDF Writer"));
        QCOMPARE(printers.defaultPrinter(), QStringLiteral("Vendrell PDF Writer"));
        QVERIFY(lpoptions().contains(QStringLiteral("Default Vendrell_PDF_Writer")));
        printers.setDefaultPrinter(QString());
        QCOMPARE(printers.defaultPrinter(), QString());
        QVERIFY(!lpoptions().contains(QStringLiteral("Default")));
    }

    void unknownNameThrowsAndKeepsTheDefault() {
        printers.setDefaultPrinter(QStringLiteral("Alpha"));
        for (const QString name : {QStringLiteral("alpha"), QStringLiteral("Nowhere"), QStringLiteral("Office")}) {
            QVERIFY_THROWS_EXCEPTION(RuntimeError, printers.setDefaultPrinter(name));
            QCOMPARE(printers.defaultPrinter(), QStringLiteral("Alpha"));
        }
        // A queue whose description is shown is known by that name only.
        QVERIFY_THROWS_EXCEPTION(RuntimeError, printers.setDefaultPrinter(QStringLiteral("Vendrell_PDF_Writer")));
        printers.setDefaultPrinter(QString());
    }

    void theDefaultChangesForThisUserOnly() {
        printers.setDefaultPrinter(QStringLiteral("Beta"));
        auto restore = qScopeGuard([&] { printers.setDefaultPrinter(QString()); });
        QTemporaryDir otherHome;
        QCOMPARE(defaultSeenBy(QStringLiteral("root"), otherHome.path()), QStringLiteral("no system default destination"));
        QCOMPARE(defaultSeenBy(cupsd->testUser(), cupsd->testHome()), QStringLiteral("no system default destination"));
        QCOMPARE(defaultSeenBy(QStringLiteral("root"), home.path()), QStringLiteral("system default destination: Beta"));
    }

    void anUnreachableSchedulerThrows() {
        cupsSetServer(qPrintable(cupsd->dir() + QStringLiteral("/no-such.sock")));
        auto restore = qScopeGuard([] { cupsSetServer(nullptr); });
        QVERIFY_THROWS_EXCEPTION(RuntimeError, printers.installedPrinters());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, printers.defaultPrinter());
        QVERIFY_THROWS_EXCEPTION(RuntimeError, printers.setDefaultPrinter(QStringLiteral("Alpha")));
    }

    void cleanupTestCase() { cupsd.reset(); }
};

QTEST_GUILESS_MAIN(CupsPrintersTest)
#include "test_cups_printers.moc"
