// quorvane-batch as a user runs it: the built program against the real office and a private scheduler,
// every job read back from the queue that kept it, every PDF by its text, the report by its JSON.
#include <QtTest>
#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <sys/stat.h>
#include <cups/cups.h>
#include <optional>

#include "BatchCommand.h"
#include "OdtWriter.h"
#include "RealPlatform.h"

namespace {
// An attribute of a job, as the scheduler keeps it.
QString jobAttribute(int job, const char* name) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const QByteArray uri = "ipp://localhost/jobs/" + QByteArray::number(job);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, name);
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    QString value;
    if (ipp_attribute_t* a = response ? ippFindAttribute(response, name, IPP_TAG_ZERO) : nullptr) {
        char text[256];
        ippAttributeString(a, text, sizeof text);
        value = QString::fromUtf8(text);
    }
    ippDelete(response);
    return value;
}

// A TCP port of this machine that nothing listens on now.
int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(s);
    return ntohs(address.sin_port);
}

int pdfPages(const QString& file) {
    const QString info = PrivateCupsd::outputOf(QStringLiteral("pdfinfo"), {file});
    const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    return pages.match(info).captured(1).toInt();
}
}  // namespace

class BatchTest : public QObject, PrivatePrinting {
    Q_OBJECT
    QTemporaryDir docs;

    QString document(const QString& relative, const QStringList& paragraphs,
                     odt::Pages pages = odt::Pages::Flowing) {
        const QString path = docs.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        odt::write(path, paragraphs, {}, pages);
        return path;
    }
    QString document(const QString& relative) { return document(relative, {QStringLiteral("Text of ") + relative}); }

    BatchCommand run(const QStringList& args, const std::function<void(QProcess&)>& meanwhile = {}) {
        return BatchCommand::run(args, docs.path(), temp(), meanwhile);
    }
    // The command's TMPDIR, where its spool folders are made.
    QString temp() const {
        const QString path = docs.filePath(QStringLiteral("tmp"));
        QDir().mkpath(path);
        return path;
    }
    // What a run left in its TMPDIR: its spool folder, its offices' folders, the offices' own temporary
    // folders (lu*.tmp, which an interrupted run once left behind).
    QStringList spoolsLeft() const { return QDir(temp()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }
    int jobsOn(const QString& queue) const { return int(cups->keptJobs(queue).size()); }
    QString textOf(const QString& queue, int index) const { return cups->jobText(cups->keptJobs(queue).value(index)); }

private slots:
    void initTestCase() {
        if (const QString why = start(); !why.isEmpty()) QSKIP(qPrintable(why));
        QVERIFY(cups->started());
        QVERIFY(cups->addQueue(QStringLiteral("Gamma"), QStringLiteral("Gamma Laser")));
        qputenv("QUORVANE_OFFICE_TIMEOUT", "20");
        ::umask(022);
    }

    // Folders contribute their trees as the window's add-folder action does, files come where they
    // are named, the same file twice prints twice; every job is its own document's, in list order,
    // on the printer named by its description; the user's default printer stays as it was.
    void aFolderTreeAndSingleFilesPrintInOrder() {
        CupsPrinters().setDefaultPrinter(QStringLiteral("Beta"));
        const QString first = document(QStringLiteral("first.odt"));
        const QString last = document(QStringLiteral("last.odt"));
        document(QStringLiteral("tree/a.odt"));
        document(QStringLiteral("tree/sub/b.odt"));
        document(QStringLiteral("tree/sub/deeper/c.odt"));
        document(QStringLiteral("tree/other/d.ODT"));
        document(QStringLiteral("tree/~lock.odt"));
        document(QStringLiteral("tree/notes.txt"));
        const int before = jobsOn(QStringLiteral("Gamma"));
        const BatchCommand r = run({QStringLiteral("--printer"), QStringLiteral("Gamma Laser"), first, docs.filePath(QStringLiteral("tree")),
                           last, first});
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        const QStringList expected{QStringLiteral("first.odt"), QStringLiteral("tree/a.odt"), QStringLiteral("tree/other/d.ODT"),
                                   QStringLiteral("tree/sub/b.odt"), QStringLiteral("tree/sub/deeper/c.odt"),
                                   QStringLiteral("last.odt"), QStringLiteral("first.odt")};
        QCOMPARE(r.documents.size(), expected.size());
        QCOMPARE(cups->waitForJobs(QStringLiteral("Gamma"), before + int(expected.size()), 60000).size(), before + expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(r.document(i)["path"].toString(), docs.filePath(expected[i]));
            QCOMPARE(r.document(i)["outcome"].toString(), QStringLiteral("printed"));
            QCOMPARE(r.document(i)["printer"].toString(), QStringLiteral("Gamma Laser"));
            QCOMPARE(r.document(i)["pages"].toInt(), 1);
            QVERIFY2(textOf(QStringLiteral("Gamma"), before + i).contains(QStringLiteral("Text of ") + expected[i]),
                     qPrintable(expected[i]));
        }
        QVERIFY(r.document(0)["job"].toInt() < r.document(6)["job"].toInt());
        QCOMPARE(r.out.count(QLatin1Char('\n')), expected.size() + 1);  // a line each, and the summary
        QCOMPARE(CupsPrinters().defaultPrinter(), QStringLiteral("Beta"));
        QVERIFY(OfficeProcesses().isEmpty());
        QCOMPARE(spoolsLeft(), QStringList());
    }

    // A class spreads the jobs over its printers; each job is confirmed on the class.
    void aClassOfTwoQueuesTakesTheJobs() {
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lpadmin"), {"-p", "Alpha", "-c", "Both"}));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lpadmin"), {"-p", "Beta", "-c", "Both"}));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("cupsenable"), {"Both"}));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("cupsaccept"), {"Both"}));
        const int before = jobsOn(QStringLiteral("Alpha")) + jobsOn(QStringLiteral("Beta"));
        QStringList paths;
        for (int i = 1; i <= 4; ++i) paths << document(QStringLiteral("class/%1.odt").arg(i));
        const BatchCommand r = run(QStringList{QStringLiteral("--printer"), QStringLiteral("Both")} + paths);
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        for (int i = 0; i < 4; ++i) QCOMPARE(r.document(i)["printer"].toString(), QStringLiteral("Both"));
        QVERIFY(cups->waitUntilIdle(60000));
        QCOMPARE(jobsOn(QStringLiteral("Alpha")) + jobsOn(QStringLiteral("Beta")), before + 4);
    }

    // Copies, a page range and two-sided printing reach the job the printer keeps.
    void printOptionsReachTheKeptJob() {
        QStringList pages;
        for (int page = 1; page <= 4; ++page) pages << QStringLiteral("Numbered page %1").arg(page);
        const QString path = document(QStringLiteral("options.odt"), pages, odt::Pages::OneParagraphEach);
        const int before = jobsOn(QStringLiteral("Gamma"));
        const BatchCommand r = run({QStringLiteral("--printer"), QStringLiteral("Gamma"), QStringLiteral("--copies"), QStringLiteral("2"),
                           QStringLiteral("--pages"), QStringLiteral("2-3"), QStringLiteral("--sides"),
                           QStringLiteral("two-sided-long-edge"), path});
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        QCOMPARE(cups->waitForJobs(QStringLiteral("Gamma"), before + 1, 60000).size(), before + 1);
        const QString kept = cups->keptJobs(QStringLiteral("Gamma")).value(before);
        const QString text = cups->jobText(kept);
        QVERIFY2(!text.contains(QStringLiteral("Numbered page 1")) && text.contains(QStringLiteral("Numbered page 2")) &&
                     text.contains(QStringLiteral("Numbered page 3")) && !text.contains(QStringLiteral("Numbered page 4")),
                 qPrintable(text));
        QCOMPARE(pdfPages(kept), 2);
        // The printer makes the copies and prints on both sides, as the job asks it to.
        const int job = r.document(0)["job"].toInt();
        QCOMPARE(jobAttribute(job, "copies"), QStringLiteral("2"));
        QCOMPARE(jobAttribute(job, "sides"), QStringLiteral("two-sided-long-edge"));
    }

    // The user's own options for the printer (lpoptions) reach the job, as with lp; the run's own go over them.
    void theUsersPrinterOptionsApply() {
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lpoptions"), {"-p", "Gamma", "-o", "sides=two-sided-short-edge", "-o", "job-priority=70"}));
        const QString path = document(QStringLiteral("own-options.odt"));
        const BatchCommand own = run({QStringLiteral("--printer"), QStringLiteral("Gamma"), path});
        const BatchCommand overridden = run({QStringLiteral("--printer"), QStringLiteral("Gamma"), QStringLiteral("--sides"), QStringLiteral("one-sided"), path});
        PrivateCupsd::runTool(QStringLiteral("lpoptions"), {"-p", "Gamma", "-r", "sides", "-r", "job-priority"});
        QCOMPARE(own.outcomes(), QStringLiteral("printed"));
        QCOMPARE(jobAttribute(own.document(0)["job"].toInt(), "sides"), QStringLiteral("two-sided-short-edge"));
        QCOMPARE(jobAttribute(own.document(0)["job"].toInt(), "job-priority"), QStringLiteral("70"));
        QCOMPARE(overridden.outcomes(), QStringLiteral("printed"));
        QCOMPARE(jobAttribute(overridden.document(0)["job"].toInt(), "sides"), QStringLiteral("one-sided"));
        QCOMPARE(jobAttribute(overridden.document(0)["job"].toInt(), "job-priority"), QStringLiteral("70"));
    }

    // Two documents of one name: two PDFs, neither replacing the other, each with its own text; no
    // temporary file stays behind.
    void pdfsOfTwoDocumentsOfOneName() {
        const QString out = docs.filePath(QStringLiteral("pdf-out"));
        const QString one = document(QStringLiteral("x/report.odt"), {QStringLiteral("First report")});
        const QString two = document(QStringLiteral("y/report.odt"), {QStringLiteral("Second report")});
        const BatchCommand r = run({QStringLiteral("--pdf"), out, one, two});
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        QCOMPARE(r.outcomes(), QStringLiteral("written written"));
        QCOMPARE(r.document(0)["pdf"].toString(), out + QStringLiteral("/report.pdf"));
        QCOMPARE(r.document(1)["pdf"].toString(), out + QStringLiteral("/report (2).pdf"));
        QVERIFY(cups->jobText(out + QStringLiteral("/report.pdf")).contains(QStringLiteral("First report")));
        QVERIFY(cups->jobText(out + QStringLiteral("/report (2).pdf")).contains(QStringLiteral("Second report")));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), (QStringList{"report (2).pdf", "report.pdf"}));
        // Readable as any file the user makes (umask 022), not only as a temporary file.
        QVERIFY(QFileInfo(out + QStringLiteral("/report.pdf")).permissions() & QFile::ReadOther);
    }

    // A corrupt document, an office killed in the middle of a document and a printer that rejects
    // jobs: each document reported with its reason, the others printed, exit status 1.
    void failuresAreReportedAndTheRunGoesOn() {
        const QString corrupt = docs.filePath(QStringLiteral("corrupt.odt"));
        {
            QFile file(corrupt);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QFile good(document(QStringLiteral("source.odt")));
            QVERIFY(good.open(QIODevice::ReadOnly));
            file.write(good.readAll().left(300));  // a zip cut short
        }
        QStringList pages;
        for (int page = 1; page <= 4000; ++page) pages << QStringLiteral("Long page %1").arg(page);
        const QString killed = document(QStringLiteral("killed.odt"), pages, odt::Pages::OneParagraphEach);
        const QString before = document(QStringLiteral("before.odt")), after = document(QStringLiteral("after.odt"));
        const int gamma = jobsOn(QStringLiteral("Gamma"));
        // One office, so that the kill hits the long document's office alone.
        const BatchCommand r = run({QStringLiteral("--printer"), QStringLiteral("Gamma"), QStringLiteral("--jobs"), QStringLiteral("1"),
                           before, corrupt, killed, after},
                          [](QProcess& p) {
                              // Once the corrupt document is reported, the long one is in the office.
                              QVERIFY(PrivateCupsd::waitFor([&] {
                                  p.waitForReadyRead(100);
                                  return p.peek(1 << 20).contains("2/4");
                              }, 120000));
                              QTest::qWait(500);
                              for (const qint64 pid : OfficeProcesses()) ::kill(pid_t(pid), SIGKILL);
                          });
        QCOMPARE(r.status, 1);
        QVERIFY2(r.outcomes() == QStringLiteral("printed failed failed printed"), qPrintable(r.out));
        QVERIFY(!r.document(1)["reason"].toString().isEmpty());
        QVERIFY(!r.document(2)["reason"].toString().isEmpty());
        QVERIFY(cups->waitUntilIdle(60000));
        QCOMPARE(jobsOn(QStringLiteral("Gamma")), gamma + 2);
        QVERIFY(textOf(QStringLiteral("Gamma"), gamma + 1).contains(QStringLiteral("Text of after.odt")));

        QVERIFY(PrivateCupsd::runTool(QStringLiteral("cupsreject"), {"-r", "closed for repairs", "Gamma"}));
        const BatchCommand refused = run({QStringLiteral("--printer"), QStringLiteral("Gamma"), before});
        PrivateCupsd::runTool(QStringLiteral("cupsaccept"), {"Gamma"});
        QCOMPARE(refused.status, 1);
        QCOMPARE(refused.outcomes(), QStringLiteral("failed"));
        QVERIFY2(refused.document(0)["reason"].toString().contains(QStringLiteral("closed for repairs")),
                 qPrintable(refused.document(0)["reason"].toString()));
        QVERIFY(refused.err.isEmpty() || !refused.err.contains(QStringLiteral("Application Error")));

        QCOMPARE(spoolsLeft(), QStringList());
    }

    // A stopped printer holds the jobs without printing them: they wait (exit 3), none fails, none is
    // canceled or sent again, and each prints once the printer is started. --no-wait ends at queued.
    void jobsOnAStoppedPrinterWaitAndPrintOnce() {
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("cupsdisable"), {"-r", "out of toner", "Gamma"}));
        const int kept = jobsOn(QStringLiteral("Gamma"));
        const QString one = document(QStringLiteral("stopped/1.odt")), two = document(QStringLiteral("stopped/2.odt"));
        const BatchCommand stopped = run({QStringLiteral("--printer"), QStringLiteral("Gamma"), one, two});
        const BatchCommand unfollowed = run({QStringLiteral("--printer"), QStringLiteral("Gamma"), QStringLiteral("--no-wait"), one});
        QTest::qWait(1000);
        const int keptWhileStopped = jobsOn(QStringLiteral("Gamma"));
        PrivateCupsd::runTool(QStringLiteral("cupsenable"), {"Gamma"});
        QCOMPARE(stopped.status, 3);
        QCOMPARE(stopped.outcomes(), QStringLiteral("waiting waiting"));
        const QString reason = stopped.document(0)["reason"].toString();
        QVERIFY2(reason.contains(QStringLiteral("job %1").arg(stopped.document(0)["job"].toInt())) && reason.contains(QStringLiteral("out of toner")),
                 qPrintable(reason));
        QCOMPARE(unfollowed.status, 0);
        QCOMPARE(unfollowed.outcomes(), QStringLiteral("queued"));
        QCOMPARE(keptWhileStopped, kept);
        QVERIFY(cups->waitUntilIdle(60000));
        QCOMPARE(jobsOn(QStringLiteral("Gamma")), kept + 3);
        QCOMPARE(spoolsLeft(), QStringList());
    }

    // A job its backend aborts and one canceled while the run follows it fail with CUPS's reasons. A
    // retry of a report prints only what really failed: a job that printed after all is not sent again.
    void failedJobsAndARetryThatSendsOnlyThose() {
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lpadmin"), {"-p", "Broken", "-E", "-v", "failjob:/", "-m", "raw"}));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lpadmin"), {"-p", "Slow", "-E", "-v", "slowjob:/", "-m", "raw"}));
        const QString jammed = document(QStringLiteral("retry/jammed.odt")), later = document(QStringLiteral("retry/later.odt"));
        const BatchCommand aborted = run({QStringLiteral("--printer"), QStringLiteral("Broken"), jammed});
        QCOMPARE(aborted.status, 1);
        QCOMPARE(aborted.outcomes(), QStringLiteral("failed"));
        QVERIFY2(aborted.document(0)["reason"].toString().contains(QStringLiteral("aborted")) &&
                     aborted.document(0)["reason"].toString().contains(QStringLiteral("paper jam")),
                 qPrintable(aborted.document(0)["reason"].toString()));
        const BatchCommand canceled = run({QStringLiteral("--printer"), QStringLiteral("Slow"), later}, [](QProcess&) {
            QVERIFY(PrivateCupsd::waitFor([] { return !PrivateCupsd::outputOf(QStringLiteral("lpstat"), {"-o", "Slow"}).isEmpty(); }, 60000));
            QVERIFY(PrivateCupsd::runTool(QStringLiteral("cancel"), {"-a", "Slow"}));
        });
        QCOMPARE(canceled.status, 1);
        QVERIFY2(canceled.document(0)["reason"].toString().contains(QStringLiteral("canceled")) &&
                     canceled.document(0)["reason"].toString().contains(QStringLiteral("job-canceled-by-user")),
                 qPrintable(canceled.document(0)["reason"].toString()));

        // An earlier report: "later" failed though its job printed after all; "jammed" really failed.
        const BatchCommand printed = run({QStringLiteral("--printer"), QStringLiteral("Gamma"), later});
        QCOMPARE(printed.status, 0);
        const QJsonObject laterFailed{{"path", later}, {"outcome", "failed"}, {"printer", "Gamma Laser"}, {"job", printed.document(0)["job"]}};
        QJsonObject jammedFailed = aborted.document(0);
        const QString report = docs.filePath(QStringLiteral("earlier.json"));
        QFile earlier(report);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write(QJsonDocument(QJsonObject{{"printer", "Gamma Laser"}, {"documents", QJsonArray{laterFailed, jammedFailed}}}).toJson());
        earlier.close();
        QVERIFY(cups->waitUntilIdle(60000));
        const int kept = jobsOn(QStringLiteral("Gamma"));
        const BatchCommand retried = run({QStringLiteral("--retry"), report});
        QVERIFY2(retried.status == 0, qPrintable(retried.out + retried.err));
        QCOMPARE(retried.outcomes(), QStringLiteral("printed printed"));
        QVERIFY2(retried.document(0)["reason"].toString().contains(QStringLiteral("not sent again")), qPrintable(retried.out));
        QCOMPARE(retried.document(1)["printer"].toString(), QStringLiteral("Gamma Laser"));
        QVERIFY(cups->waitUntilIdle(60000));
        QCOMPARE(jobsOn(QStringLiteral("Gamma")), kept + 1);
        QVERIFY(textOf(QStringLiteral("Gamma"), kept).contains(QStringLiteral("Text of retry/jammed.odt")));
    }

    // -o attributes reach the kept job; a value outside the printer's list ends the run before any job.
    void printerOptionsAreCheckedThenSent() {
        const QString path = document(QStringLiteral("o/options.odt"));
        const BatchCommand r = run({QStringLiteral("--printer"), QStringLiteral("Gamma"), QStringLiteral("-o"), QStringLiteral("print-color-mode=monochrome"),
                                    QStringLiteral("-o"), QStringLiteral("media=iso_a4_210x297mm"), path});
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        const int job = r.document(0)["job"].toInt();
        QCOMPARE(jobAttribute(job, "print-color-mode"), QStringLiteral("monochrome"));
        QCOMPARE(jobAttribute(job, "media"), QStringLiteral("iso_a4_210x297mm"));
        QVERIFY2(r.err.contains(QStringLiteral("warning: -o media=")), qPrintable(r.err));  // a raw queue lists no media
        const int newest = CupsPrinters().newestJobId();
        const BatchCommand refused = run({QStringLiteral("--printer"), QStringLiteral("Gamma"), QStringLiteral("-o"), QStringLiteral("number-up=3"), path});
        QCOMPARE(refused.status, 2);
        QVERIFY2(refused.err.contains(QStringLiteral("number-up=3")) && refused.err.contains(QStringLiteral("1, 2, 4")), qPrintable(refused.err));
        QCOMPARE(CupsPrinters().newestJobId(), newest);
    }

    // Another scheduler by --server, and a printer by its ipp:// address (that scheduler's queue over TCP).
    void anyServerAndAPrinterByItsAddress() {
        const QByteArray server = qgetenv("CUPS_SERVER"), root = qgetenv("CUPS_SERVERROOT");
        const int port = FreePort();
        qputenv("QUORVANE_CUPSD_PORT", QByteArray::number(port));
        auto other = std::make_unique<PrivateCupsd>();
        qunsetenv("QUORVANE_CUPSD_PORT");
        const auto restore = [&] {
            qputenv("CUPS_SERVER", server);
            qputenv("CUPS_SERVERROOT", root);
        };
        restore();
        QVERIFY2(other->started(), qPrintable(other->error()));
        const QString path = document(QStringLiteral("elsewhere.odt"));
        const BatchCommand served = run({QStringLiteral("--server"), other->var(QStringLiteral("CUPS_SERVER")), QStringLiteral("--printer"),
                                         QStringLiteral("Alpha"), path});
        const QString address = QStringLiteral("ipp://localhost:%1/printers/Beta").arg(port);
        const BatchCommand addressed = run({QStringLiteral("--printer"), address, path});
        const int keptAlpha = int(other->waitForJobs(QStringLiteral("Alpha"), 1).size());
        const int keptBeta = int(other->waitForJobs(QStringLiteral("Beta"), 1).size());
        other.reset();
        restore();
        QVERIFY2(served.status == 0, qPrintable(served.out + served.err));
        QVERIFY2(addressed.status == 0, qPrintable(addressed.out + addressed.err));
        QCOMPARE(addressed.document(0)["printer"].toString(), address);
        QCOMPARE(keptAlpha, 1);
        QCOMPARE(keptBeta, 1);
    }

    // Ctrl-C ends the run at once: no office left running, no partly written PDF, the report says
    // which documents were not reached.
    void ctrlCEndsTheRunAtOnce() {
        const QString out = docs.filePath(QStringLiteral("interrupted"));
        QStringList paths;
        for (int i = 1; i <= 40; ++i) paths << document(QStringLiteral("many/%1.odt").arg(i));
        QElapsedTimer stopped;
        // Ctrl-C once the third document is done.
        const auto interrupt = [&](QProcess& p) {
            QVERIFY(PrivateCupsd::waitFor([&] {
                p.waitForReadyRead(50);
                return p.peek(1 << 20).contains("3/40");
            }, 120000));
            ::kill(pid_t(p.processId()), SIGINT);
            stopped.start();
        };
        const BatchCommand r = run(QStringList{QStringLiteral("--pdf"), out, QStringLiteral("--jobs"), QStringLiteral("1")} + paths, interrupt);
        QVERIFY2(stopped.elapsed() < 3000, qPrintable(QString::number(stopped.elapsed())));
        QCOMPARE(r.status, 128 + SIGINT);
        QVERIFY(OfficeProcesses().isEmpty());
        QVERIFY(r.documents.size() == 40);
        QVERIFY(r.outcomes().contains(QStringLiteral("skipped")));
        int written = 0;
        for (const QString& name : QDir(out).entryList(QDir::Files | QDir::Hidden)) {
            QVERIFY2(!name.startsWith(QLatin1Char('.')), qPrintable(name));
            QVERIFY2(PrivateCupsd::outputOf(QStringLiteral("pdfinfo"), {QDir(out).filePath(name)}).contains(QStringLiteral("Pages:")), qPrintable(name));
            ++written;
        }
        QCOMPARE(written, r.outcomes().count(QStringLiteral("written")));

        // A printing run leaves no rendered job behind either.
        const BatchCommand paper =
            run(QStringList{QStringLiteral("--printer"), QStringLiteral("Gamma"), QStringLiteral("--jobs"), QStringLiteral("1")} + paths, interrupt);
        QCOMPARE(paper.status, 128 + SIGINT);
        QVERIFY(OfficeProcesses().isEmpty());
        QCOMPARE(spoolsLeft(), QStringList());
    }

    // Usage faults end before anything is printed, naming the fault.
    void faultsOfUsageEndWithStatusTwo() {
        const BatchCommand unknown = run({QStringLiteral("--printer"), QStringLiteral("Nowhere"), document(QStringLiteral("u.odt"))});
        QCOMPARE(unknown.status, 2);
        QVERIFY2(unknown.err.contains(QStringLiteral("Nowhere")), qPrintable(unknown.err));
        const BatchCommand nothing = run({docs.filePath(QStringLiteral("empty-folder-that-is-missing"))});
        QCOMPARE(nothing.status, 1);
        QCOMPARE(nothing.outcomes(), QStringLiteral("failed"));
    }
};

QTEST_GUILESS_MAIN(BatchTest)
#include "test_batch.moc"
