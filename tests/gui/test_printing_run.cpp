// The print run on the fakes: every office call, wait and pump of a pass in order, progress,
// failures that let the run go on, and what a user can do while it runs.
#include <QtTest>

#include "FakePlatform.h"
#include "app/Form1.h"
#include "printing/Form2.h"
#include "printing/PDFprint.h"
#include "printing/PrintRun.h"
#include "engine/Writer.h"

namespace {
const QString Laser = QStringLiteral("Laser"), Inkjet = QStringLiteral("Inkjet");

QStringList passLog(const QString& printer, const QString& url, const QStringList& pauses) {
    return QStringList{"pump", "sleep 1000", "setDefault " + printer, "sleep 1000", "changeNotify 0x8000000 0",
                       "office target " + printer, "office createServiceManager()",
                       "office createInstance(com.sun.star.frame.Desktop)",
                       "office createServiceManager()", "office Bridge_GetStruct(com.sun.star.beans.PropertyValue)",
                       "office loadComponentFromURL(" + url + ", _blank, 0, [Hidden=true])",
                       "office createInstance(com.sun.star.frame.DispatchHelper)", "office getCurrentController()",
                       "office getFrame()", "office executeDispatch(frame, .uno:PrintDefault, , 0, [])", "wait 1000"} +
           pauses + QStringList{"office close(true)", "wait 1000"};
}

struct Run {
    FakePlatform fp;
    Form1 form{fp.platform};
    explicit Run(const QStringList& documents, const QString& printer = Laser) {
        fp.printers.installed = {Inkjet, Laser, PdfPrinterName};
        fp.printers.current = Inkjet;
        form.Combo1->addItems(fp.printers.installed);
        form.Combo1->setCurrentText(printer);
        for (const QString& d : documents) AppendEntry(form.ListView1, d);
    }
    QStringList errorLines() const {
        QStringList lines;
        for (const auto& m : fp.dialogs.messages)
            if (m.caption == QLatin1String("Application Error")) lines << m.text.section("at line ", 1).section('\r', 0, 0);
        return lines;
    }
    // Stands in for the PDF printer: each print command writes the file its values name.
    void writePdfs() {
        fp.office.onCall = [this](const QString& member) {
            if (member != "executeDispatch") return;
            QFile pdf(fp.registry.keys.value("Software\\" + PdfPrinterName).value("OutputFile"));
            pdf.open(QIODevice::WriteOnly);
            pdf.write("%PDF-1.4\n%%EOF\n");
        };
    }
    // Progress, text and pointer as each document is loaded.
    QStringList atEachLoad() {
        auto seen = std::make_shared<QStringList>();
        fp.office.onCall = [this, seen](const QString& member) {
            if (member == "loadComponentFromURL")
                *seen << QString("%1 %2 %3").arg(QString::number(form.ProgressBar1->value()),
                                                 form.ProgressBar1->text(), QString::number(form.MousePointer.mode()));
        };
        form.PushButton2_Click();
        return *seen;
    }
};

// Types a folder into every folder window the run opens and closes it with the close box.
struct FolderWindowUser : QObject {
    int shown = 0;
    explicit FolderWindowUser(const QString& folder) {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, folder] {
            if (auto* window = qobject_cast<Form2*>(QApplication::activeModalWidget())) {
                ++shown;
                window->txtBackupPath->setText(folder);
                window->close();
            }
        });
        timer->start(0);
    }
};
}  // namespace

class PrintRunTest : public QObject {
    Q_OBJECT

private slots:
    void onePassDoesEveryStepInOrder() {
        Run run({"/docs/a.odt"});
        run.form.Text2->setText("2");
        QCOMPARE(run.atEachLoad(), QStringList{"100 Processing: a.odt 11"});
        QCOMPARE(run.fp.log, QStringList({"getDefault", "holdDefault", "setDefault Laser"}) +
                                 passLog(Laser, "file:///docs/a.odt", {"wait 2000"}) +
                                 QStringList({"releaseDefault", "message Done."}));
        QCOMPARE(run.fp.dialogs.messages.back().caption, QStringLiteral("Quorvane"));
        QCOMPARE(run.form.ProgressBar1->value(), 0);
        QCOMPARE(run.form.ProgressBar1->text(), QStringLiteral("Progress Bar"));
        QCOMPARE(run.form.MousePointer.mode(), int(vbDefault));
        QVERIFY(!run.form.Printing);
    }

    void threeDocumentsShowTheirShareInListOrder() {
        Run run({"/d/one.odt", "two.odt", "/d/100%values.odt"});
        QCOMPARE(run.atEachLoad(), QStringList({"33 Processing: one.odt 11", "66 Processing: two.odt 11",
                                                "100 Processing: 100%\u2060values.odt 11"}));
        QCOMPARE(run.fp.log.mid(3, run.fp.log.size() - 5),
                 passLog(Laser, "file:///d/one.odt", {}) + passLog(Laser, "file:///two.odt", {}) +
                     passLog(Laser, "file:///d/100%25values.odt", {}));
    }

    void fileUrlsEncodeWhatAUrlCannotHold_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("url");
        QTest::newRow("plain") << "/home/u/report.odt" << "file:///home/u/report.odt";
        QTest::newRow("marks") << "/d/Q&A #3 50%?.odt" << "file:///d/Q&A%20%233%2050%25%3F.odt";
        QTest::newRow("non-ASCII") << "/d/ü.odt" << "file:///d/%C3%BC.odt";
        QTest::newRow("no host") << "//server/x.odt" << "file:///server/x.odt";
    }
    void fileUrlsEncodeWhatAUrlCannotHold() {
        QFETCH(QString, path);
        QTEST(FileUrl(path), "url");
    }

    void emptyListOnlySaysSoAndCanStartAgain() {
        Run run({});
        run.form.PushButton2_Click();
        run.form.PushButton2_Click();
        QCOMPARE(run.fp.log, QStringList({"message No files added.", "message No files added."}));
        QVERIFY(!run.form.Printing);
    }

    void failedLoadIsReportedWithEveryStepDependingOnIt() {
        Run run({"/d/bad1.odt", "/d/bad2.odt"});
        run.fp.office.failing = {"loadComponentFromURL"};
        run.form.PushButton2_Click();
        QCOMPARE(run.errorLines(), QStringList({"148", "154", "156", "168", "148", "154", "156", "168"}));
        QVERIFY(run.fp.dialogs.messages[0].text.contains("in Lumbrel2021/08/31.Form1.PushButton2_Click at line 148"));
        QCOMPARE(run.fp.logOf({"wait"}).size(), 4);
        QCOMPARE(run.fp.printers.current, Inkjet);
        QCOMPARE(run.fp.dialogs.texts().back(), QStringLiteral("Done."));
    }

    void pauseBoxIsReadForEachDocument_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("waits");
        QTest::addColumn<QStringList>("errors");
        const QStringList none{"wait 1000", "wait 1000"};
        for (const char* t : {"", "abc", "0", "-3"}) QTest::newRow(*t ? t : "empty") << QString(t) << none << QStringList();
        QTest::newRow("2.5") << "2.5" << QStringList{"wait 1000", "wait 2000", "wait 1000"} << QStringList();
        QTest::newRow("3.5") << " 3.5 " << QStringList{"wait 1000", "wait 4000", "wait 1000"} << QStringList();
        QTest::newRow("1e1") << "1e1" << QStringList{"wait 1000", "wait 10000", "wait 1000"} << QStringList();
        QTest::newRow("&H10") << "&H10" << QStringList{"wait 1000", "wait 16000", "wait 1000"} << QStringList();
        QTest::newRow("40000") << "40000" << none << QStringList{"166"};
    }
    void pauseBoxIsReadForEachDocument() {
        QFETCH(QString, text);
        Run run({"/d/a.odt"});
        run.form.Text2->setText(text);
        run.form.PushButton2_Click();
        QFETCH(QStringList, waits);
        QCOMPARE(run.fp.logOf({"wait"}), waits);
        QTEST(run.errorLines(), "errors");
    }

    void whatTheUserDoesDuringARun() {
        Run run({"/d/a.odt", "/d/b.odt"});
        int pumps = 0;
        run.fp.runtime.onPump = [&] {
            if (++pumps != 1) return;
            run.form.PushButton2_Click();               // refused: a run is under way
            AppendEntry(run.form.ListView1, "/d/c.odt");  // not printed by this run
            run.form.Text2->setText("3");               // takes effect at once
        };
        const QStringList seen = run.atEachLoad();
        QCOMPARE(seen, QStringList({"50 Processing: a.odt 11", "66 Processing: b.odt 11"}));
        QCOMPARE(run.fp.logOf({"getDefault"}).size(), 1);
        QCOMPARE(run.fp.logOf({"wait 3000"}).size(), 2);
        QCOMPARE(run.fp.dialogs.texts(), QStringList{"Done."});
    }

    void entriesRemovedDuringARunAreLeftOut() {
        Run run({"/d/a.odt", "/d/b.odt", "/d/c.odt"});
        run.fp.runtime.onPump = [&] { run.form.ListView1->clear(); };
        run.form.PushButton2_Click();
        QCOMPARE(run.fp.logOf({"office loadComponentFromURL"}).size(), 1);
        QCOMPARE(run.errorLines(), QStringList({"118", "118"}));
        QVERIFY(run.fp.dialogs.texts()[0].startsWith("Subscript out of range\r\n"));
    }

    void defaultPrinterAroundARun() {
        Run none({"/d/a.odt"});  // nothing chosen: the current default stays and is printed on
        none.form.Combo1->setCurrentIndex(-1);
        none.form.PushButton2_Click();
        QCOMPARE(none.fp.logOf({"setDefault", "office target"}), QStringList{"office target Inkjet"});
        QCOMPARE(none.fp.printers.jobs.size(), 1);

        Run noDefault({"/d/a.odt"});  // no default before the run: none after it
        noDefault.fp.printers.current.clear();
        noDefault.form.PushButton2_Click();
        QCOMPARE(noDefault.fp.printers.current, QString());

        Run closed({"/d/a.odt"});  // the window closed in mid-run
        closed.fp.runtime.onPump = [&] { closed.form.Form_QueryUnload(); };
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, closed.form.PushButton2_Click());
        QCOMPARE(closed.fp.printers.current, Inkjet);
        closed.fp.log.clear();
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, closed.form.Form_QueryUnload());
        QCOMPARE(closed.fp.logOf({"releaseDefault"}), QStringList());  // no run under way any more
    }

    void pdfRunAsksForTheFolderOnceAndNamesEachFile() {
        QTemporaryDir out;
        FolderWindowUser user(out.path() + "/");
        const QString listedPdf = out.path() + "/old.pdf";
        QFile(listedPdf).open(QIODevice::WriteOnly);
        Run run({"/d/old.docs/report", "/d/x/a.odt", "/d/y/a.odt", "/d/.odt", listedPdf}, PdfPrinterName);
        run.writePdfs();
        run.form.PushButton2_Click();
        QCOMPARE(user.shown, 1);
        QCOMPARE(OutputFolder, out.path() + "/");
        const QStringList files = run.fp.logOf({"registry set OutputFile="}).replaceInStrings(out.path(), "out");
        QCOMPARE(files.mid(0, 3), QStringList({"registry set OutputFile=out/old (2).pdf", "registry set OutputFile=out/a.pdf",
                                               "registry set OutputFile=out/a (2).pdf"}));
        // The clock has moved on by the run's sleeps and waits: 3 passes of 6 s, then 2 s.
        QCOMPARE(files[3], QStringLiteral("registry set OutputFile=out/PrintOut202108311504254.pdf"));
        QCOMPARE(files[4], QStringLiteral("registry set OutputFile=out/old (3).pdf"));
        QVERIFY(QFile::exists(listedPdf));  // a listed document is never replaced
        QCOMPARE(run.fp.logOf({"wait"}).size(), 5 * 3);
        QCOMPARE(run.fp.printers.current, Inkjet);
        QCOMPARE(run.errorLines(), QStringList());
    }

    void aDefaultThatCouldNotBeNamedIsStillPutBack() {
        Run run({"/docs/a.odt"});
        run.fp.printers.defaultUnreadable = true;
        run.form.PushButton2_Click();
        QCOMPARE(run.fp.dialogs.messages.front().text.left(10), QStringLiteral("Error No: "));
        QCOMPARE(run.fp.logOf({"setDefault"}), QStringList({"setDefault " + Laser, "setDefault " + Laser}));
        QCOMPARE(run.fp.printers.current, Inkjet);
    }

    // A job the printing system did not take, or that waits on a stopped printer, is reported with the
    // document, the printer and the reason; a printer that is gone is not printed on at all.
    void aJobThatIsNotPrintedIsReported_data() {
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("loads");
        QTest::newRow("rejecting") << "the printer does not accept jobs (closed)" << true << QStringList{"156"}
                                   << "\"a.odt\" was not printed on \"Laser\": the printer does not accept jobs (closed)."
                                   << 1;
        QTest::newRow("stopped") << "the printer is stopped (jammed)" << false << QStringList{"156"}
                                 << "\"a.odt\" waits as job 1 on \"Laser\": the printer is stopped (jammed). It prints "
                                    "when the printer is started again."
                                 << 1;
        QTest::newRow("lost") << "" << true << QStringList{"156"}
                                 << "\"a.odt\" was not printed on \"Laser\": the printing system has no job of it." << 1;
        QTest::newRow("removed") << "the printer is not installed (any more)" << false << QStringList{"144"}
                                 << "\"a.odt\" was not printed on \"Laser\": the printer is not installed (any more)." << 0;
    }
    void aJobThatIsNotPrintedIsReported() {
        QFETCH(QString, refusal);
        QFETCH(bool, dropped);
        QFETCH(int, loads);
        Run run({"/d/a.odt"});
        if (!loads) run.fp.printers.installed.removeAll(Laser);
        if (!refusal.isEmpty()) run.fp.printers.refusals[Laser] = refusal;
        if (dropped) run.fp.printers.dropping << Laser;
        if (dropped && refusal.isEmpty()) run.fp.office.onPrint = [](const QString&) { return true; };  // said spooled
        run.form.PushButton2_Click();
        QTEST(run.errorLines(), "lines");
        QTEST(run.fp.dialogs.messages.front().text.section("\r\n", 0, 0), "text");
        QCOMPARE(run.fp.logOf({"office loadComponentFromURL"}).size(), loads);
        QCOMPARE(run.fp.dialogs.texts().last(), QStringLiteral("Done."));
        for (const PrintJob& job : run.fp.printers.jobs) QCOMPARE(job.printer, Laser);
    }

    // Each PDF job is tied to its own file as soon as the printing system has it, and the "on its way"
    // mark ends with it; a PDF that did not come out is reported with the printer's reason.
    void eachPdfJobIsBoundToItsFileAndAFailedOneIsReported() {
        QTemporaryDir out;
        FolderWindowUser user(out.path() + "/");
        Run run({"/d/good.odt", "/d/lost.odt"}, PdfPrinterName);
        run.writePdfs();
        run.fp.printers.onAsked = [](PrintJob& job) {
            if (job.id == 2) job = {2, PdfPrinterName, PrintJob::State::Aborted, "cannot write lost.pdf: Disk full"};
        };
        run.form.PushButton2_Click();
        QCOMPARE(run.fp.logOf({"registry set"}).replaceInStrings(out.path(), "out"),
                 QStringList({"registry set OutputFile=out/good.pdf", "registry set BypassSaveAs=1",
                              "registry set OutputFile.1=out/good.pdf", "registry set BypassSaveAs=0",
                              "registry set OutputFile=out/lost.pdf", "registry set BypassSaveAs=1",
                              "registry set OutputFile.2=out/lost.pdf", "registry set BypassSaveAs=0"}));
        QCOMPARE(run.errorLines(), QStringList{"162"});
        QCOMPARE(run.fp.dialogs.messages.front().text.section("\r\n", 0, 0),
                 "The PDF file \"" + out.path() + "/lost.pdf\" was not written: cannot write lost.pdf: Disk full");
        QCOMPARE(run.fp.dialogs.texts().last(), QStringLiteral("Done."));
    }

    // Without the record of the user's own default nothing could put it back: the run says why at its
    // start, leaves the default alone and still prints on the chosen printer. A default that could not
    // be put back is no failure of the restoring step, and is said once, at the end.
    void theDefaultIsSwitchedOnlyWhenItCanBePutBack() {
        Run unkept({"/d/a.odt", "/d/b.odt"});
        unkept.fp.printers.holdFails = true;
        unkept.form.PushButton2_Click();
        QCOMPARE(unkept.errorLines(), QStringList{"108"});
        QCOMPARE(unkept.fp.logOf({"setDefault", "releaseDefault"}), QStringList());
        QCOMPARE(unkept.fp.logOf({"office target"}), QStringList({"office target " + Laser, "office target " + Laser}));
        QCOMPARE(unkept.fp.printers.current, Inkjet);

        Run unrestored({"/d/a.odt"});
        unrestored.fp.printers.releaseFails = true;
        unrestored.form.PushButton2_Click();
        QCOMPARE(unrestored.errorLines(), QStringList());
        QCOMPARE(unrestored.fp.dialogs.texts().mid(0),
                 QStringList({"Done.", "The default printer could not be put back: Permission denied: lpoptions cannot be written"}));
    }

    // The pointer after a run: the busy mark while the operation the run was started in goes on, the
    // default arrow otherwise, whatever it was before (a hand over a button stays no hand).
    void thePointerAfterARun() {
        for (const int before : {int(vbCustom), int(vbDefault), int(vbHourglass)}) {
            Run run({"/d/a.odt"});
            run.form.MousePointer.setMode(before);
            run.form.PushButton2_Click();
            QCOMPARE(run.form.MousePointer.mode(), before == vbHourglass ? int(vbHourglass) : int(vbDefault));
        }
    }

    // A PDF folder that cannot be made is named where its PDF is reported, and a job that never ends
    // (a PDF printer that hangs) is reported after a bound instead of keeping the window busy for ever.
    void pdfFaultsNameTheirFolderAndJobsEndTheWait() {
        QTemporaryDir out;
        QFile blocker(out.path() + "/blocker");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        const QString unmakeable = blocker.fileName() + "/pdfs/";
        {
            FolderWindowUser user(unmakeable);
            Run run({"/d/a.odt"}, PdfPrinterName);
            run.writePdfs();
            run.form.PushButton2_Click();
            QCOMPARE(run.errorLines(), QStringList({"138", "162"}));
            QCOMPARE(run.fp.logOf({"registry set OutputFile="}).first(), "registry set OutputFile=" + unmakeable + "a.pdf");
            QVERIFY(run.fp.dialogs.messages[1].text.startsWith("The PDF file \"" + unmakeable + "a.pdf\" was not written"));
        }
        FolderWindowUser user(out.path() + "/");
        Run hanging({"/d/a.odt"}, PdfPrinterName);
        hanging.fp.printers.onAsked = [](PrintJob& job) { job.state = PrintJob::State::Processing; };
        hanging.form.PushButton2_Click();
        QCOMPARE(hanging.errorLines(), QStringList{"162"});
        QVERIFY(hanging.fp.dialogs.messages.front().text.startsWith("Job 1 on \"" + PdfPrinterName + "\" did not finish within 300 seconds"));
        QCOMPARE(hanging.fp.dialogs.texts().last(), QStringLiteral("Done."));
    }
};

QTEST_MAIN(PrintRunTest)
#include "test_printing_run.moc"
