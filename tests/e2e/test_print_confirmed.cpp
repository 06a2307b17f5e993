// Print runs whose documents the printing system must confirm: a queue that does not take the job,
// a document that takes the office longer than its call bound, files that only claim to be documents,
// and two windows of one user printing at the same time. Real office, private scheduler.
#include <QtTest>
#include <optional>

#include "OdtWriter.h"
#include "PrintWindow.h"

namespace {
// Set in the copy of this program that plays the second window: its documents and its printer.
const char* SecondWindowVariable = "QUORVANE_SECOND_WINDOW";
}  // namespace

class PrintConfirmedTest : public QObject, PrivatePrinting {
    Q_OBJECT
    QTemporaryDir docs;

    QString document(const QString& name, const QString& text) {
        const QString path = docs.path() + QLatin1Char('/') + name;
        odt::write(path, {text});
        return path;
    }
    QString file(const QString& name, const QByteArray& bytes) {
        const QString path = docs.path() + QLatin1Char('/') + name;
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        return path;
    }
    int jobsOn(const QString& queue) const { return int(cups->keptJobs(queue).size()); }
    QString textOf(const QString& queue, int index) const { return cups->jobText(cups->keptJobs(queue).value(index)); }
    // Waits until the scheduler is done and the queues have kept exactly these numbers of jobs.
    void expectCounts(const QMap<QString, int>& counts) {
        QVERIFY(cups->waitUntilIdle(60000));
        for (auto it = counts.begin(); it != counts.end(); ++it) QCOMPARE(jobsOn(it.key()), it.value());
    }

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsSet(SecondWindowVariable)) return;  // the parent's scheduler and home
        if (const QString why = start(); !why.isEmpty()) QSKIP(qPrintable(why));
        QVERIFY(cups->started());
        QVERIFY(cups->addQueue(QStringLiteral("Gamma")));
        qputenv("QUORVANE_OFFICE_TIMEOUT", "20");
    }

    // A queue that rejects jobs, is stopped, or is gone since start-up: the document is reported with
    // the printer and the printing system's reason, and nothing is printed on another printer.
    void aQueueThatDoesNotTakeTheJobIsReported_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("waiting");  // jobs the queue keeps for later
        QTest::newRow("rejecting") << QStringList{"cupsreject", "-r", "closed for repairs", "Delta"}
                                   << "closed for repairs" << 0;
        QTest::newRow("stopped") << QStringList{"cupsdisable", "-r", "out of toner", "Delta"} << "out of toner" << 1;
        QTest::newRow("removed") << QStringList{"lpadmin", "-x", "Delta"} << "Delta" << 0;
    }
    void aQueueThatDoesNotTakeTheJobIsReported() {
        if (!cups) QSKIP("the second window's copy");
        QFETCH(QStringList, command);
        QFETCH(QString, reason);
        QFETCH(int, waiting);
        QVERIFY(cups->addQueue(QStringLiteral("Delta")));
        CupsPrinters().setDefaultPrinter(QStringLiteral("Alpha"));
        const QMap<QString, int> before{{"Alpha", jobsOn("Alpha")}, {"Beta", jobsOn("Beta")}, {"Gamma", jobsOn("Gamma")}};
        PrintWindow w;
        QVERIFY(PrivateCupsd::runTool(command.first(), command.mid(1)));
        const QStringList texts = w.print({document(QStringLiteral("refused.odt"), QStringLiteral("Refused page"))},
                                          QStringLiteral("Delta"));
        QCOMPARE(texts.last(), QStringLiteral("Done."));
        const QString report = texts.value(texts.size() - 2);
        QVERIFY2(report.contains(QStringLiteral("Form1.PushButton2_Click")), qPrintable(texts.join('|')));
        for (const QString& part : {QStringLiteral("refused.odt"), QStringLiteral("Delta"), reason})
            QVERIFY2(report.contains(part), qPrintable(part + QStringLiteral(" not in: ") + report));
        QCOMPARE(PrivateCupsd::outputOf("lpstat", {"-o", "Delta"}).split('\n', Qt::SkipEmptyParts).size(), waiting);
        PrivateCupsd::runTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), QStringLiteral("Delta")});
        expectCounts(before);
        QCOMPARE(w.real.printers.defaultPrinter(), QStringLiteral("Alpha"));
    }

    // The office renders a long document after the print command returns; the pass waits for the
    // job, however long that takes, as long as the office is working.
    void aLongDocumentPrintsWholeBetweenTwoShortOnes() {
        if (!cups) QSKIP("the second window's copy");
        qputenv("QUORVANE_OFFICE_TIMEOUT", "10");
        QStringList pages;
        for (int page = 1; page <= 1000; ++page) pages << QStringLiteral("Long page %1").arg(page);
        const QString longDocument = docs.filePath(QStringLiteral("long.odt"));
        QVERIFY(odt::write(longDocument, pages, {}, odt::Pages::OneParagraphEach));
        const int alpha = jobsOn(QStringLiteral("Alpha"));
        PrintWindow w;
        const QStringList texts =
            w.print({document(QStringLiteral("before.odt"), QStringLiteral("Short before")), longDocument,
                     document(QStringLiteral("after.odt"), QStringLiteral("Short after"))},
                    QStringLiteral("Alpha"));
        qputenv("QUORVANE_OFFICE_TIMEOUT", "20");
        QCOMPARE(texts, QStringList{QStringLiteral("Done.")});
        QCOMPARE(cups->waitForJobs(QStringLiteral("Alpha"), alpha + 3, 120000).size(), alpha + 3);
        QVERIFY(textOf(QStringLiteral("Alpha"), alpha).contains(QStringLiteral("Short before")));
        const QString whole = textOf(QStringLiteral("Alpha"), alpha + 1);
        QVERIFY(whole.contains(QStringLiteral("Long page 1\n")) || whole.contains(QStringLiteral("Long page 1 ")));
        QVERIFY(whole.contains(QStringLiteral("Long page 1000")));
        QCOMPARE(whole.count(QLatin1Char('\f')), 1000);
        QVERIFY(textOf(QStringLiteral("Alpha"), alpha + 2).contains(QStringLiteral("Short after")));
    }

    // A file named like a document that the office could only read as plain text is no document.
    void filesThatOnlyClaimToBeDocumentsAreReported() {
        if (!cups) QSKIP("the second window's copy");
        QByteArray noise;
        for (int i = 0; i < 4096; ++i) noise.append(char(QRandomGenerator::global()->bounded(256)));
        const int alpha = jobsOn(QStringLiteral("Alpha"));
        PrintWindow w;
        const QStringList texts = w.print({file(QStringLiteral("empty.odt"), {}), file(QStringLiteral("noise.odt"), noise),
                                           file(QStringLiteral("notes.txt"), "Plain notes\n")},
                                          QStringLiteral("Alpha"));
        QCOMPARE(texts.last(), QStringLiteral("Done."));
        const QString reports = texts.join(QLatin1Char('|'));
        QVERIFY2(reports.contains(QStringLiteral("empty.odt")) && reports.contains(QStringLiteral("noise.odt")),
                 qPrintable(reports));
        QVERIFY2(texts.first().contains(QStringLiteral("at line 148")), qPrintable(texts.first()));
        QVERIFY(!reports.contains(QStringLiteral("notes.txt")));
        QVERIFY(cups->waitUntilIdle(60000));
        QCOMPARE(jobsOn(QStringLiteral("Alpha")), alpha + 1);
        QVERIFY(textOf(QStringLiteral("Alpha"), alpha).contains(QStringLiteral("Plain notes")));
    }

    // Two windows of one user print at once, each to its own queue: every document once, on its own
    // queue, and the default printer from before the first run comes back when both have ended.
    void twoWindowsPrintAtOnceEachOnItsOwnQueue() {
        if (!cups) QSKIP("the second window's copy");
        CupsPrinters().setDefaultPrinter(QStringLiteral("Beta"));
        const QMap<QString, int> before{{"Alpha", jobsOn("Alpha")}, {"Beta", jobsOn("Beta")}, {"Gamma", jobsOn("Gamma")}};
        QStringList mine, theirs;
        for (int i = 1; i <= 3; ++i) {
            mine << document(QStringLiteral("mine-%1.odt").arg(i), QStringLiteral("First window %1").arg(i));
            theirs << document(QStringLiteral("theirs-%1.odt").arg(i), QStringLiteral("Second window %1").arg(i));
        }
        QProcess second;
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(SecondWindowVariable), theirs.join(QLatin1Char('\n')));
        second.setProcessEnvironment(env);
        second.start(QCoreApplication::applicationFilePath(), {QStringLiteral("secondWindow")});
        QVERIFY(second.waitForStarted());
        QTest::qWait(1500);  // the second window is loading and starting its run
        PrintWindow w;
        QCOMPARE(w.print(mine, QStringLiteral("Alpha")), QStringList{QStringLiteral("Done.")});
        if (second.state() != QProcess::NotRunning) QVERIFY(second.waitForFinished(240000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        expectCounts({{"Alpha", before["Alpha"] + 3}, {"Beta", before["Beta"]}, {"Gamma", before["Gamma"] + 3}});
        QString alpha, gamma;
        for (int i = 0; i < 3; ++i) {
            alpha += textOf(QStringLiteral("Alpha"), before["Alpha"] + i);
            gamma += textOf(QStringLiteral("Gamma"), before["Gamma"] + i);
        }
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(alpha.count(QStringLiteral("First window %1").arg(i)), 1);
            QCOMPARE(gamma.count(QStringLiteral("Second window %1").arg(i)), 1);
        }
        QCOMPARE(CupsPrinters().defaultPrinter(), QStringLiteral("Beta"));
    }

    // The second window, in a copy of this program started by the case above.
    void secondWindow() {
        if (!qEnvironmentVariableIsSet(SecondWindowVariable)) QSKIP("played by a copy of this program");
        PrintWindow w;
        QCOMPARE(w.print(qEnvironmentVariable(SecondWindowVariable).split(QLatin1Char('\n')), QStringLiteral("Gamma")),
                 QStringList{QStringLiteral("Done.")});
    }
};

QTEST_MAIN(PrintConfirmedTest)
#include "test_print_confirmed.moc"
