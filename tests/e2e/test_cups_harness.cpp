// The private scheduler that the end-to-end tests print to: every job is kept, in order, readable as text.
#include <QtTest>

#include "cupsd/PrivateCupsd.h"

class CupsHarnessTest : public QObject {
    Q_OBJECT
    std::unique_ptr<PrivateCupsd> cupsd;

    static bool lp(const QString& queue, const QString& title, const QByteArray& data, const QString& as = {}) {
        const QStringList lpArgs{QStringLiteral("-d"), queue, QStringLiteral("-t"), title, QStringLiteral("-")};
        if (as.isEmpty()) return PrivateCupsd::runTool(QStringLiteral("lp"), lpArgs, nullptr, data);
        return PrivateCupsd::runTool(QStringLiteral("runuser"),
                                     QStringList{QStringLiteral("-u"), as, QStringLiteral("--"), QStringLiteral("lp")} + lpArgs,
                                     nullptr, data);
    }
    static QByteArray content(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
        const QString reason = PrivateCupsd::unavailableReason();
        if (!reason.isEmpty()) QSKIP(qPrintable(reason));
        cupsd = std::make_unique<PrivateCupsd>();
        QVERIFY2(cupsd->started(), qPrintable(cupsd->error()));
    }

    void theSchedulerIsPrivate() {
        QVERIFY(qEnvironmentVariable("CUPS_SERVER").startsWith(cupsd->dir()));
        QVERIFY(qEnvironmentVariable("CUPS_SERVERROOT").startsWith(cupsd->dir()));
        // Nothing but its socket: no network port of its own.
        QVERIFY(!cupsd->log().contains(QStringLiteral("Listening to 0.0.0.0")));
        QVERIFY(cupsd->log().contains(QStringLiteral("Listening to ") + cupsd->dir() + QStringLiteral("/cups.sock")));
    }

    void everyJobIsKeptInArrivalOrder() {
        QVERIFY(lp(QStringLiteral("Alpha"), QStringLiteral("first"), "one\n"));
        QVERIFY(lp(QStringLiteral("Beta"), QStringLiteral("elsewhere"), "two\n"));
        QVERIFY(lp(QStringLiteral("Alpha"), QStringLiteral("from a user"), "three\n", cupsd->testUser()));
        QVERIFY(lp(QStringLiteral("Alpha"), QStringLiteral("a/b"), "four\n", QStringLiteral("nobody")));
        const QStringList alpha = cupsd->waitForJobs(QStringLiteral("Alpha"), 3);
        QCOMPARE(alpha.size(), 3);
        QCOMPARE(QFileInfo(alpha[0]).fileName(), QStringLiteral("001-first"));
        QCOMPARE(QFileInfo(alpha[1]).fileName(), QStringLiteral("002-from a user"));
        QCOMPARE(QFileInfo(alpha[2]).fileName(), QStringLiteral("003-a_b"));
        QCOMPARE(content(alpha[2]), QByteArray("four\n"));
        QCOMPARE(cupsd->waitForJobs(QStringLiteral("Beta"), 1),
                 QStringList{cupsd->dir() + QStringLiteral("/jobs/Beta/001-elsewhere")});
    }

    void keptJobsReadAsText() {
        const QByteArray postscript = "%!PS\n/Helvetica findfont 20 scalefont setfont 72 700 moveto (Kept text) show showpage\n";
        QVERIFY(lp(QStringLiteral("Beta"), QStringLiteral("ps"), postscript));
        QProcess gs;
        gs.start(QStringLiteral("gs"), {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pdfwrite", "-sOutputFile=-", "-"});
        gs.write(postscript);
        gs.closeWriteChannel();
        QVERIFY(gs.waitForFinished(30000));
        QVERIFY(lp(QStringLiteral("Beta"), QStringLiteral("pdf"), gs.readAllStandardOutput()));
        const QStringList beta = cupsd->waitForJobs(QStringLiteral("Beta"), 3);
        QCOMPARE(beta.size(), 3);
        QVERIFY(content(beta[1]).startsWith("%!PS"));
        QVERIFY(content(beta[2]).startsWith("%PDF-"));
        QCOMPARE(cupsd->jobText(beta[0]).trimmed(), QStringLiteral("two"));
        QCOMPARE(cupsd->jobText(beta[1]).trimmed(), QStringLiteral("Kept text"));
        QCOMPARE(cupsd->jobText(beta[2]).trimmed(), QStringLiteral("Kept text"));
    }

    void cleanupTestCase() { cupsd.reset(); }
};

QTEST_GUILESS_MAIN(CupsHarnessTest)
#include "test_cups_harness.moc"
