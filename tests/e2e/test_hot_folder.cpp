// quorvane-batch --watch as a print server runs it: the built program watching a folder of the test's
// own against the real office and a private scheduler; every print counted on the jobs the queue kept.
#include <QtTest>
#include <csignal>
#include <unistd.h>

#include "BatchCommand.h"
#include "OdtWriter.h"
#include "RealPlatform.h"

namespace {
// One running service.
struct Service {
    QProcess process;
    Service(const QString& in, const QStringList& args, const QString& tmp) {
        QDir().mkpath(tmp);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), tmp);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(BatchProgram, QStringList{QStringLiteral("--watch"), in} + args);
        process.waitForStarted();
    }
    ~Service() { stop(SIGKILL); }
    int stop(int signal) {
        if (process.state() == QProcess::NotRunning) return process.exitCode();
        ::kill(pid_t(process.processId()), signal);
        process.waitForFinished(120000);
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};
}  // namespace

class HotFolderTest : public QObject, PrivatePrinting {
    Q_OBJECT
    QTemporaryDir root;
    QString in, source;
    int round = 0;

    // A document whose text names it, written outside the folder.
    QString make(const QString& name, int pages = 1) {
        QStringList paragraphs;
        for (int i = 1; i <= pages; ++i) paragraphs << QStringLiteral("Text of %1 page %2").arg(name).arg(i);
        const QString path = source + QLatin1Char('/') + name;
        odt::write(path, paragraphs, {}, pages > 1 ? odt::Pages::OneParagraphEach : odt::Pages::Flowing);
        return path;
    }
    QByteArray bytesOf(const QString& name, int pages = 1) {
        QFile file(make(name, pages));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    void drop(const QString& name, int pages = 1) { QVERIFY(QFile::copy(make(name, pages), in + QLatin1Char('/') + name)); }
    QStringList names(const QString& folder) const { return QDir(folder).entryList(QDir::Files, QDir::Name); }
    QStringList done() const { return names(in + QStringLiteral("/done")); }
    QStringList workLeft() const {
        QStringList left;
        QDirIterator it(in + QStringLiteral("/.work"), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) left << it.next();
        return left.filter(QRegularExpression(QStringLiteral("\\.odt$")));
    }
    // The documents the queue printed, by the name in their text, in the order it printed them.
    QStringList printed() const {
        QStringList list;
        for (const QString& job : cups->keptJobs(QStringLiteral("Alpha"))) {
            const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Text of (\\S+)")).match(cups->jobText(job));
            list << m.captured(1);
        }
        return list;
    }
    bool waitForDone(int count, int ms = 120000) { return PrivateCupsd::waitFor([&] { return done().size() >= count; }, ms); }
    std::unique_ptr<Service> service(const QStringList& args = {}) {
        return std::make_unique<Service>(in, QStringList{QStringLiteral("--printer"), QStringLiteral("Alpha")} + args,
                                         root.filePath(QStringLiteral("tmp")));
    }

private slots:
    void initTestCase() {
        if (const QString why = start(); !why.isEmpty()) QSKIP(qPrintable(why));
        QVERIFY(cups->started());
        qputenv("QUORVANE_OFFICE_TIMEOUT", "20");
    }
    // Each case its own folder and an empty queue.
    void init() {
        in = root.filePath(QStringLiteral("in%1").arg(++round));
        source = root.filePath(QStringLiteral("src%1").arg(round));
        QVERIFY(QDir().mkpath(in) && QDir().mkpath(source));
        for (const QString& job : cups->keptJobs(QStringLiteral("Alpha"))) QFile::remove(job);
    }

    // Copied in, moved in, written slowly in pieces, or under a partial name first: each printed once,
    // in the order it became whole; a partial name is left alone until it is renamed.
    void documentsArePrintedOnceInArrivalOrder() {
        const auto s = service({QStringLiteral("--jobs"), QStringLiteral("2")});
        QStringList order;
        for (int i = 0; i < 30; ++i) {
            const QString name = QStringLiteral("d%1.odt").arg(i, 2, 10, QLatin1Char('0'));
            switch (i % 4) {
                case 0: drop(name); break;
                case 1: QVERIFY(QFile::rename(make(name), in + QLatin1Char('/') + name)); break;
                case 2: {  // pieces with pauses, the file open all along
                    const QByteArray bytes = bytesOf(name);
                    QFile file(in + QLatin1Char('/') + name);
                    QVERIFY(file.open(QIODevice::WriteOnly));
                    for (qsizetype at = 0; at < bytes.size(); at += bytes.size() / 3 + 1) {
                        file.write(bytes.mid(at, bytes.size() / 3 + 1));
                        file.flush();
                        QTest::qWait(700);
                    }
                    break;
                }
                case 3: {  // a download under its partial name, renamed when whole
                    const QString part = in + QLatin1Char('/') + name + QStringLiteral(".part");
                    QVERIFY(QFile::copy(make(name), part));
                    QTest::qWait(1500);
                    QVERIFY2(QFileInfo::exists(part), "a partial name was taken");
                    QVERIFY(QFile::rename(part, in + QLatin1Char('/') + name));
                }
            }
            order << name;
            QTest::qWait(100);
        }
        QVERIFY(waitForDone(30));
        QVERIFY(cups->waitUntilIdle(60000));
        QCOMPARE(s->stop(SIGTERM), 0);
        QCOMPARE(printed(), order);
        QCOMPARE(done(), order);
        QCOMPARE(workLeft(), QStringList());
    }

    // kill -9 in the middle, then a new start: every document printed exactly once, none lost, none
    // left in a working folder.
    void aKilledServiceResumesWithoutPrintingTwice() {
        QStringList all;
        for (int i = 0; i < 12; ++i) all << QStringLiteral("k%1.odt").arg(i, 2, 10, QLatin1Char('0'));
        {
            const auto s = service();
            for (const QString& name : all) drop(name);
            QVERIFY(PrivateCupsd::waitFor([&] { return cups->keptJobs(QStringLiteral("Alpha")).size() >= 4; }, 120000));
            s->stop(SIGKILL);
        }
        for (const qint64 pid : OfficeProcesses()) ::kill(pid_t(pid), SIGKILL);
        const auto again = service();
        QVERIFY(waitForDone(12));
        QVERIFY(cups->waitUntilIdle(60000));
        QCOMPARE(again->stop(SIGTERM), 0);
        QStringList printedSorted = printed();
        printedSorted.sort();
        QCOMPARE(printedSorted, all);
        QCOMPARE(done(), all);
        QCOMPARE(workLeft(), QStringList());
        QCOMPARE(QDir(in + QStringLiteral("/.work")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    // Two services on one folder: each document printed exactly once.
    void twoServicesShareAFolder() {
        const auto one = service(), two = service();
        QStringList all;
        for (int i = 0; i < 12; ++i) {
            all << QStringLiteral("t%1.odt").arg(i, 2, 10, QLatin1Char('0'));
            drop(all.last());
        }
        QVERIFY(waitForDone(12));
        QVERIFY(cups->waitUntilIdle(60000));
        QCOMPARE(one->stop(SIGTERM), 0);
        QCOMPARE(two->stop(SIGTERM), 0);
        QStringList printedSorted = printed();
        printedSorted.sort();
        QCOMPARE(printedSorted, all);
        QCOMPARE(done(), all);
    }

    // A garbage document and a queue that rejects jobs: each in the failed folder with its reason; the
    // service goes on printing.
    void failuresAreFiledWithTheirReasons() {
        const auto s = service();
        QFile garbage(in + QStringLiteral("/garbage.odt"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("PK\x03\x04 not a zip at all");
        garbage.close();
        QVERIFY(PrivateCupsd::waitFor([&] { return names(in + QStringLiteral("/failed")).contains(QStringLiteral("garbage.odt")); }, 60000));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("cupsreject"), {"-r", "closed for repairs", "Alpha"}));
        drop(QStringLiteral("refused.odt"));
        QVERIFY(PrivateCupsd::waitFor([&] { return names(in + QStringLiteral("/failed")).contains(QStringLiteral("refused.odt")); }, 60000));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("cupsaccept"), {"Alpha"}));
        drop(QStringLiteral("refused.odt"));  // again, now that the queue takes it; the failed one stays
        QVERIFY(waitForDone(1));
        QCOMPARE(s->stop(SIGTERM), 0);
        QFile reason(in + QStringLiteral("/failed/refused.odt.txt"));
        QVERIFY(reason.open(QIODevice::ReadOnly));
        QVERIFY(reason.readAll().contains("closed for repairs"));
        QVERIFY(QFileInfo(in + QStringLiteral("/failed/garbage.odt.txt")).size() > 0);
        QCOMPARE(printed(), QStringList{QStringLiteral("refused.odt")});
    }

    // --once on a stopped printer: the job waits (exit 3) and its document stays claimed; the next run
    // follows that job to its end and files the document, sending nothing again.
    void onceLeavesAWaitingJobToTheNextRun() {
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("cupsdisable"), {"-r", "out of paper", "Alpha"}));
        drop(QStringLiteral("w.odt"));
        const auto first = service({QStringLiteral("--once")});
        const int waited = first->stop(0);  // signal 0: only waits for its end
        QCOMPARE(waited, 3);
        QCOMPARE(workLeft().size(), 1);
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("cupsenable"), {"Alpha"}));
        const auto second = service({QStringLiteral("--once")});
        QCOMPARE(second->stop(0), 0);
        QCOMPARE(done(), QStringList{QStringLiteral("w.odt")});
        QVERIFY(cups->waitUntilIdle(60000));
        QCOMPARE(printed(), QStringList{QStringLiteral("w.odt")});
        QCOMPARE(workLeft(), QStringList());
    }

    // SIGTERM while a long document renders: it finishes (or goes back), the others go back unprinted,
    // and no job is half-sent: what was printed is exactly what is done.
    void sigtermEndsWithNothingHalfDone() {
        const auto s = service({QStringLiteral("--jobs"), QStringLiteral("1")});
        drop(QStringLiteral("long.odt"), 4000);
        QVERIFY(PrivateCupsd::waitFor([&] { return !QFileInfo::exists(in + QStringLiteral("/long.odt")); }, 30000));
        drop(QStringLiteral("next1.odt"));
        drop(QStringLiteral("next2.odt"));
        QTest::qWait(2500);  // claimed behind the long one
        QCOMPARE(s->stop(SIGTERM), 0);
        QVERIFY(cups->waitUntilIdle(60000));
        const QStringList waiting = names(in);
        QCOMPARE(done().size() + waiting.size(), 3);
        QVERIFY2(waiting.contains(QStringLiteral("next2.odt")), qPrintable(waiting.join(' ')));
        QStringList finished = done(), printedSorted = printed();
        printedSorted.sort();
        QCOMPARE(printedSorted, finished);
        QCOMPARE(workLeft(), QStringList());
    }
};

QTEST_GUILESS_MAIN(HotFolderTest)
#include "test_hot_folder.moc"
