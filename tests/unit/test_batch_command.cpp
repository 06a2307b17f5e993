// The command's own parts: its command line, the printer a name means, the PDF names of a run, the
// lines it shows and the report it writes.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include "FakePlatform.h"
#include "batch/BatchOptions.h"
#include "batch/BatchRun.h"
#include "batch/Progress.h"
#include "batch/Report.h"

namespace {
ParsedCommandLine parse(const QStringList& args, const QMap<QString, QStringList>& lists = {}) {
    return ParseCommandLine(QStringList{QStringLiteral("quorvane-batch")} + args,
                            [&](const QString& file) -> std::optional<QStringList> {
                                if (!lists.contains(file)) return std::nullopt;
                                return lists.value(file);
                            });
}
}  // namespace

class BatchCommandTest : public QObject {
    Q_OBJECT
private slots:
    void pathsKeepTheirOrderAndRepeatsAndListsFollow() {
        const auto parsed = parse({"b.odt", "folder", "b.odt", "--from", "list", "--from", "-"},
                                  {{"list", {"c.odt", "d.odt"}}, {"-", {"e.odt"}}});
        QVERIFY(parsed.options);
        QCOMPARE(parsed.options->paths, (QStringList{"b.odt", "folder", "b.odt", "c.odt", "d.odt", "e.odt"}));
        QCOMPARE(parsed.options->extension, QStringLiteral("odt"));
        QVERIFY(parsed.options->jobOptions.isEmpty());
        QVERIFY(parsed.options->follow);
        QCOMPARE(parsed.options->jobs, 0);
    }

    void printOptionsAreRead() {
        const auto parsed = parse({"--printer", "Both", "--copies", "3", "--pages", "1-2, 5", "--sides",
                                   "two-sided-long-edge", "--jobs", "2", "--renew-after", "50", "--json", "r.json",
                                   "--extension", "*", "-o", "media=iso_a4_210x297mm", "--option", "fit-to-page",
                                   "-o", "copies=2", "--server", "print.example:631", "--wait", "60", "a.odt"});
        QVERIFY2(parsed.options, qPrintable(parsed.message));
        const BatchOptions& o = *parsed.options;
        QCOMPARE(o.printer, QStringLiteral("Both"));
        // --copies and --sides are job attributes like any -o; a later one wins at the printer.
        QCOMPARE(o.jobOptions, (JobOptions{{"copies", "3"}, {"sides", "two-sided-long-edge"}, {"media", "iso_a4_210x297mm"},
                                           {"fit-to-page", "true"}, {"copies", "2"}}));
        QCOMPARE(o.pages, QStringLiteral("1-2,5"));
        QCOMPARE(o.server, QStringLiteral("print.example:631"));
        QCOMPARE(o.waitSeconds, 60);
        QCOMPARE(o.jobs, 2);
        QCOMPARE(o.renewAfter, 50);
        QCOMPARE(o.jsonFile, QStringLiteral("r.json"));
        QCOMPARE(o.extension, QStringLiteral("*"));
    }

    // Every fault of usage: status 2 and a message that names the fault.
    void faultsOfUsageAreNamed_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("named");
        QTest::newRow("nothing") << QStringList{} << "No documents";
        QTest::newRow("unknown option") << QStringList{"--colour", "a.odt"} << "colour";
        QTest::newRow("missing value") << QStringList{"a.odt", "--printer"} << "printer";
        QTest::newRow("copies zero") << QStringList{"--copies", "0", "a.odt"} << "--copies";
        QTest::newRow("option without name") << QStringList{"-o", "=x", "a.odt"} << "-o";
        QTest::newRow("wait and no-wait") << QStringList{"--wait", "5", "--no-wait", "a.odt"} << "--no-wait";
        QTest::newRow("retry with paths") << QStringList{"--retry", "r.json", "a.odt"} << "--retry";
        QTest::newRow("retry to pdf") << QStringList{"--retry", "r.json", "--pdf", "out"} << "--retry";
        QTest::newRow("copies word") << QStringList{"--copies", "two", "a.odt"} << "--copies";
        QTest::newRow("pages backwards syntax") << QStringList{"--pages", "1-", "a.odt"} << "--pages";
        QTest::newRow("pages zero") << QStringList{"--pages", "0", "a.odt"} << "--pages";
        QTest::newRow("sides") << QStringList{"--sides", "both", "a.odt"} << "--sides";
        QTest::newRow("jobs") << QStringList{"--jobs", "-1", "a.odt"} << "--jobs";
        QTest::newRow("renew") << QStringList{"--renew-after", "0", "a.odt"} << "--renew-after";
        QTest::newRow("pdf and printer") << QStringList{"--pdf", "out", "--printer", "A", "a.odt"} << "--pdf";
        QTest::newRow("pdf and copies") << QStringList{"--pdf", "out", "--copies", "2", "a.odt"} << "--pdf";
        QTest::newRow("twice") << QStringList{"--printer", "A", "--printer", "B", "a.odt"} << "more than once";
        QTest::newRow("unreadable list") << QStringList{"--from", "missing"} << "missing";
        QTest::newRow("extension with folder") << QStringList{"--extension", "a/odt", "x"} << "--extension";
    }
    void faultsOfUsageAreNamed() {
        QFETCH(QStringList, args);
        QFETCH(QString, named);
        const auto parsed = parse(args);
        QVERIFY(!parsed.options);
        QCOMPARE(parsed.exitStatus, 2);
        QVERIFY2(parsed.message.contains(named), qPrintable(parsed.message));
    }

    void helpNamesEveryOptionAndEndsWell() {
        const auto parsed = parse({"--help"});
        QCOMPARE(parsed.exitStatus, 0);
        for (const char* option : {"--printer", "--pdf", "--extension", "--from", "--copies", "--pages", "--sides",
                                   "--jobs", "--renew-after", "--json", "Exit status"})
            QVERIFY2(parsed.message.contains(QLatin1String(option)), option);
    }

    void aListFileIsReadLineByLine() {
        QTemporaryFile list;
        QVERIFY(list.open());
        list.write("/a b/one.odt\r\n\n  \n/two.odt\n");
        list.close();
        QCOMPARE(*ReadPathList(list.fileName()), (QStringList{"/a b/one.odt", "/two.odt"}));
        QVERIFY(!ReadPathList(list.fileName() + QStringLiteral(".missing")));
    }

    // A printer by its name, its queue's name (a queue or a class) or the default; never another one.
    void aPrinterIsFoundByNameOrQueue() {
        FakePlatform fake;
        fake.printers.installed = {"Office Laser", "Both"};
        fake.printers.current = "Both";
        const Destination byName = ResolvePrinter(fake.printers, "Office Laser");
        QCOMPARE(byName.printer, QStringLiteral("Office Laser"));
        QCOMPARE(byName.queue, QStringLiteral("Office Laser"));
        QCOMPARE(ResolvePrinter(fake.printers, {}).printer, QStringLiteral("Both"));
        try {
            ResolvePrinter(fake.printers, "Gone");
            QFAIL("an unknown printer was taken");
        } catch (const UsageFault& fault) {
            QVERIFY(fault.message.contains("Gone") && fault.message.contains("Office Laser"));
        }
        fake.printers.current.clear();
        QVERIFY_THROWS_EXCEPTION(UsageFault, ResolvePrinter(fake.printers, {}));
    }

    // Two documents of one name get two PDFs; names are cleaned as the window's PDFs; a name left
    // empty gets the time-stamped one; a listed document is never a PDF's name.
    void pdfNamesOfARun() {
        const QDateTime now(QDate(2026, 12, 8), QTime(9, 30, 5));
        const QStringList paths = PlanPdfPaths({"/a/report.odt", "/b/report.odt", "/c/Q&A #3 'final'.odt", "/d/.odt",
                                                "/out/listed.pdf", "/e/listed.odt"},
                                               "/out", now);
        QCOMPARE(paths, (QStringList{"/out/report.pdf", "/out/report (2).pdf", "/out/Q&A 3 final.pdf",
                                     "/out/PrintOut202612080930054.pdf", "/out/listed (2).pdf", "/out/listed (3).pdf"}));
    }

    void linesSayWhatBecameOfEachDocument() {
        QCOMPARE(Progress::line(2, 5, {"/d/a.odt", DocumentResult::Outcome::Printed, "Alpha", 17, {}, 1, 0.5}),
                 QStringLiteral("2/5 printed /d/a.odt on Alpha as job 17 (0.50 s)"));
        QCOMPARE(Progress::line(3, 5, {"/d/b.odt", DocumentResult::Outcome::Written, {}, 0, "/o/b.pdf", 1, 0.25}),
                 QStringLiteral("3/5 written /d/b.odt to /o/b.pdf (0.25 s)"));
        DocumentResult failed{"/d/c.odt", DocumentResult::Outcome::Failed};
        failed.reason = "the office could not load it";
        QCOMPARE(Progress::line(4, 5, failed), QStringLiteral("4/5 failed /d/c.odt: the office could not load it (0.00 s)"));
        QCOMPARE(Progress::statusLine(0, 200, "a.odt", 0), QStringLiteral("0/200 a.odt"));
        QCOMPARE(Progress::statusLine(50, 200, "b.odt", 10), QStringLiteral("50/200 b.odt  5.0 documents/s, 0:30 left"));
    }

    void theReportHoldsEveryDocumentAndTheStatusFollowsIt() {
        DocumentResult printed{"/d/a.odt", DocumentResult::Outcome::Printed, "Alpha", 4, {}, 2, 0.4};
        DocumentResult written{"/d/a.odt", DocumentResult::Outcome::Written, {}, 0, "/o/a.pdf", 1, 0.3};
        DocumentResult failed{"/d/bad.odt", DocumentResult::Outcome::Failed};
        failed.reason = "does not load";
        DocumentResult skipped{"/d/late.odt"};
        skipped.reason = "interrupted";
        DocumentResult queued{"/d/q.odt", DocumentResult::Outcome::Queued, "Alpha", 5};
        DocumentResult waiting{"/d/w.odt", DocumentResult::Outcome::Waiting, "Alpha", 6};
        QCOMPARE(ExitStatus({printed, written, queued}), 0);
        QCOMPARE(ExitStatus({printed, waiting}), WaitingExitStatus);
        QCOMPARE(ExitStatus({waiting, failed}), 1);
        QCOMPARE(ExitStatus({printed, skipped}), 1);
        const QJsonObject report = QJsonDocument::fromJson(ReportJson({printed, written, failed, skipped}, "Alpha")).object();
        QCOMPARE(report["printer"].toString(), QStringLiteral("Alpha"));
        const QJsonArray documents = report["documents"].toArray();
        QCOMPARE(documents.size(), 4);
        const QJsonObject first = documents[0].toObject();
        QCOMPARE(first["outcome"].toString(), QStringLiteral("printed"));
        QCOMPARE(first["printer"].toString(), QStringLiteral("Alpha"));
        QCOMPARE(first["job"].toInt(), 4);
        QCOMPARE(first["pages"].toInt(), 2);
        QCOMPARE(documents[1].toObject()["pdf"].toString(), QStringLiteral("/o/a.pdf"));
        QCOMPARE(documents[2].toObject()["reason"].toString(), QStringLiteral("does not load"));
        QCOMPARE(documents[3].toObject()["outcome"].toString(), QStringLiteral("skipped"));
        QCOMPARE(report["counts"].toObject()["failed"].toInt(), 1);
        QCOMPARE(report["exitStatus"].toInt(), 1);
    }
};

QTEST_GUILESS_MAIN(BatchCommandTest)
#include "test_batch_command.moc"
