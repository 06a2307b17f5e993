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
        qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/.cache")).toUtf8());
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

    // The user's own setting comes back exactly: "none of my own" (the scheduler's default applies)
    // stays none, an instance stays that instance, and the last of two runs puts it back.
    void theUsersOwnDefaultComesBackExactly_data() {
        QTest::addColumn<QStringList>("setUp");  // lpoptions arguments that make the user's setting
        QTest::addColumn<QString>("line");       // the lpoptions "Default" line it makes, if any
        QTest::newRow("none of my own") << QStringList() << QString();
        QTest::newRow("a queue") << QStringList{"-d", "Beta"} << "Default Beta";
        QTest::newRow("an instance") << QStringList{"-d", "Alpha/draft"} << "Default Alpha/draft";
    }
    void theUsersOwnDefaultComesBackExactly() {
        QFETCH(QStringList, setUp);
        QFETCH(QString, line);
        QFile::remove(home.path() + QStringLiteral("/.cups/lpoptions"));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lpoptions"), {"-p", "Alpha/draft", "-o", "print-quality=3"}));
        if (!setUp.isEmpty()) QVERIFY(PrivateCupsd::runTool(QStringLiteral("lpoptions"), setUp));
        const QString before = lpoptions();
        QCOMPARE(before.contains(QStringLiteral("Default")), !line.isEmpty());

        printers.holdUserDefault();  // a first window's run
        printers.setDefaultPrinter(QStringLiteral("Office_1"));
        printers.holdUserDefault();  // a second one, while the first still switches the default
        printers.setDefaultPrinter(QStringLiteral("Lookalike"));
        printers.releaseUserDefault();
        QVERIFY(lpoptions().contains(QStringLiteral("Default Lookalike")));  // one run still goes on
        printers.releaseUserDefault();
        // The same lines, whichever order the scheduler's client wrote them in meanwhile.
        const auto lines = [](const QString& text) {
            QStringList list = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            list.sort();
            return list;
        };
        QCOMPARE(lines(lpoptions()), lines(before));
    }

    // A window that died in mid-run does not keep the setting from coming back.
    void aRunOfAProcessThatIsGoneDoesNotCount() {
        QFile::remove(home.path() + QStringLiteral("/.cups/lpoptions"));
        printers.setDefaultPrinter(QStringLiteral("Beta"));
        QProcess gone;
        gone.start(QStringLiteral("true"));
        QVERIFY(gone.waitForFinished());
        const QString runs = home.path() + QStringLiteral("/.cache/quorvane/default-printer-runs");
        QDir().mkpath(QFileInfo(runs).path());
        QFile file(runs);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Default Alpha\n" + QByteArray::number(gone.processId()));
        file.close();
        printers.holdUserDefault();
        printers.setDefaultPrinter(QStringLiteral("Office_2"));
        printers.releaseUserDefault();
        QCOMPARE(printers.defaultPrinter(), QStringLiteral("Beta"));
        printers.setDefaultPrinter(QString());
    }

    // The printing system's record of the user's jobs, and of a printer that takes none.
    void jobsAndRefusals() {
        const int newest = printers.newestJobId();
        QCOMPARE(printers.refusal(QStringLiteral("Alpha")), QString());
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lp"), {"-d", "Alpha", "-t", "first"}, nullptr, "one\n"));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("cupsdisable"), {"-r", "out of paper", "Beta"}));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lp"), {"-d", "Beta", "-t", "second"}, nullptr, "two\n"));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("cupsreject"), {"-r", "closed", "Lookalike"}));
        const QList<PrintJob> jobs = printers.jobsAfter(newest);
        QCOMPARE(jobs.size(), 2);
        QCOMPARE(jobs[0].printer, QStringLiteral("Alpha"));
        QCOMPARE(jobs[1].printer, QStringLiteral("Beta"));
        QVERIFY(jobs[0].id < jobs[1].id && jobs[0].id > newest);
        QCOMPARE(printers.newestJobId(), jobs[1].id);
        QCOMPARE(printers.job(jobs[1].id, jobs[1].printer).state, PrintJob::State::Pending);
        QVERIFY(cupsd->waitForJobs(QStringLiteral("Alpha"), 1).size() >= 1);
        QTRY_COMPARE(printers.job(jobs[0].id, jobs[0].printer).state, PrintJob::State::Completed);
        QCOMPARE(printers.refusal(QStringLiteral("Beta")), QStringLiteral("the printer is stopped (out of paper)"));
        QCOMPARE(printers.refusal(QStringLiteral("Lookalike")), QStringLiteral("the printer does not accept jobs (closed)"));
        QCOMPARE(printers.refusal(QStringLiteral("Nowhere")), QStringLiteral("the printer is not installed (any more)"));
        QCOMPARE(printers.queueOf(QStringLiteral("Vendrell PDF Writer")), QStringLiteral("Vendrell_PDF_Writer"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, printers.job(jobs[1].id + 1000, jobs[1].printer));
        PrivateCupsd::runTool(QStringLiteral("cupsenable"), {"Beta"});
        PrivateCupsd::runTool(QStringLiteral("cupsaccept"), {"Lookalike"});
    }

    // The newest id is asked for from the last one found on; one the scheduler no longer lists (a
    // purged history, a scheduler that numbers its jobs anew) is not trusted.
    void theNewestJobIdFollowsThePurgedHistory() {
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lp"), {"-d", "Alpha", "-t", "kept"}, nullptr, "kept\n"));
        const int kept = printers.newestJobId();
        QVERIFY(kept > 0);
        QCOMPARE(printers.newestJobId(), kept);
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("cancel"), {"-a", "-x"}));
        QCOMPARE(printers.newestJobId(), 0);
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lp"), {"-d", "Alpha", "-t", "after"}, nullptr, "after\n"));
        QVERIFY(printers.newestJobId() > kept);
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
