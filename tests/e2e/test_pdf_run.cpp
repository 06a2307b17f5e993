// PDF runs of the real program code: the main window on this machine's platform prints through the
// "Vendrell PDF Writer" printer of a private scheduler, and every PDF is read back by its text.
// Started as root, the program prepares the scheduler and the files the user may not touch; each case
// then runs in a copy of it as the scheduler's test user (see PdfRunAsUser.h), whose verdict counts.
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

#include "OdtWriter.h"
#include "PdfRunAsUser.h"
#include "RealPlatform.h"
#include "app/Form1.h"
#include "printing/Form2.h"
#include "printing/PDFprint.h"

namespace {
const QString PdfQueue = QStringLiteral("Vendrell_PDF_Writer");
// Folders of root's that the root side makes for the user's cases.
const char* FixturesVariable = "QUORVANE_PDFRUN_FIXTURES";
const QByteArray PreciousBytes = "root's own file, to be left as it is\n";

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Everything in a folder, hidden and temporary files included, sorted.
QStringList entriesOf(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

// A whole PDF: the reader accepts it and nothing follows its end mark.
bool isWholePdf(const QString& path) {
    const QByteArray data = contentOf(path);
    return data.startsWith("%PDF-") && data.trimmed().endsWith("%%EOF") &&
           PrivateCupsd::runTool(QStringLiteral("pdfinfo"), {path});
}

// Jobs the PDF printer has been given so far, finished or not.
int pdfJobs() {
    return int(PrivateCupsd::outputOf(QStringLiteral("lpstat"), {QStringLiteral("-W"), QStringLiteral("all"), QStringLiteral("-o"), PdfQueue})
                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                   .size());
}

// Waits until the printer has been given `count` more jobs than `before` and has finished them all.
bool waitForPdfJobs(int before, int count) {
    return PrivateCupsd::waitFor([&] {
        return pdfJobs() >= before + count && PrivateCupsd::outputOf(QStringLiteral("lpstat"), {QStringLiteral("-o")}).trimmed().isEmpty();
    }, 90000);
}

// The main window on the real platform, loaded as at a start, with the pause at zero. Every output
// folder window a run opens gets the run's folder typed in and is closed.
struct Window {
    RealPlatform real;
    Form1 form{real.platform};
    QStringList startUpMessages;
    QStringList progressAtFolderWindow;  // the bar's text each time the window showed

    Window() {
        form.Form_Load();
        startUpMessages = real.dialogs.texts();
        form.Text2->setText(QStringLiteral("0"));
    }
    bool choose(const QString& printer) {
        form.Combo1->setCurrentText(printer);
        return form.Combo1->currentText() == printer;
    }
    // The run's messages. An empty folder takes the one the window proposes.
    QStringList run(const QStringList& paths, const QString& folder) {
        real.dialogs.messages.clear();
        form.ListView1->clear();
        for (const QString& path : paths) AppendEntry(form.ListView1, path);
        QTimer folderWindowUser;
        QObject::connect(&folderWindowUser, &QTimer::timeout, [&] {
            if (auto* window = qobject_cast<Form2*>(QApplication::activeModalWidget())) {
                progressAtFolderWindow << form.ProgressBar1->format();
                if (!folder.isEmpty()) window->txtBackupPath->setText(folder);
                window->close();
            }
        });
        folderWindowUser.start(20);
        form.PushButton2_Click();
        return real.dialogs.texts();
    }
};
}  // namespace

class PdfRunTest : public QObject {
    Q_OBJECT
    // Root's side.
    std::unique_ptr<PrivateCupsd> cups;
    std::unique_ptr<pdfrun::TestUser> user;
    std::unique_ptr<QTemporaryDir> fixtures;
    bool pdfPrinterInstalled = false;
    // The user's side.
    QTemporaryDir docs, outputs;

    bool setPdfPrinterInstalled(bool installed) {
        if (installed == pdfPrinterInstalled) return true;
        pdfPrinterInstalled = installed;
        return installed ? cups->installPdfWriter() : PrivateCupsd::runTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), PdfQueue});
    }

    // A folder of root's with a file of root's, and a shared folder (sticky, as /tmp) in which root's
    // link to that file stands where a PDF would go.
    void makeFixtures() {
        fixtures = std::make_unique<QTemporaryDir>();
        QVERIFY(fixtures->isValid());
        QVERIFY(::chmod(fixtures->path().toUtf8().constData(), 0755) == 0);
        const QString protectedFolder = fixtures->filePath(QStringLiteral("protected"));
        const QString shared = fixtures->filePath(QStringLiteral("shared"));
        QVERIFY(QDir().mkpath(protectedFolder) && QDir().mkpath(shared));
        QFile precious(protectedFolder + QStringLiteral("/precious.pdf"));
        QVERIFY(precious.open(QIODevice::WriteOnly) && precious.write(PreciousBytes) == PreciousBytes.size());
        precious.close();
        QVERIFY(::chmod(protectedFolder.toUtf8().constData(), 0755) == 0);
        QVERIFY(::chmod(shared.toUtf8().constData(), 01777) == 0);
        QVERIFY(QFile::link(precious.fileName(), shared + QStringLiteral("/shared.pdf")));
    }

    // On root's side: runs the current case as the test user, with the PDF printer installed or not,
    // and passes on the copy's output and verdict.
    void asTheTestUser(bool withPdfPrinter = true) {
        QVERIFY2(setPdfPrinterInstalled(withPdfPrinter), qPrintable(cups->error()));
        const QString function = QString::fromLatin1(QTest::currentTestFunction());
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const pdfrun::CaseResult result =
            user->run(tag.isEmpty() ? function : function + QLatin1Char(':') + tag,
                      {QLatin1String(FixturesVariable) + QLatin1Char('=') + fixtures->path()});
        qInfo().noquote() << QStringLiteral("as %1:\n").arg(user->name()) + result.output.trimmed();
        // No office or converter of the user's outlives the program.
        const bool noneLeft = PrivateCupsd::waitFor([&] { return user->processes().isEmpty(); }, 15000);
        QVERIFY2(noneLeft, qPrintable(QStringLiteral("left running: ") + user->processes().join(QStringLiteral(", "))));
        QVERIFY2(result.finished, "the case did not end in time");
        const QString ran = QStringLiteral("PdfRunTest::") + function + QLatin1Char('(') + tag + QLatin1Char(')');
        if (result.output.contains(QStringLiteral("SKIP   : ") + ran)) QSKIP("skipped as the test user");
        QVERIFY2(result.exitCode == 0, "the case failed as the test user");
        QVERIFY2(result.output.contains(QStringLiteral("PASS   : ") + ran), "the case did not run as the test user");
    }

    QString document(const QString& name, const QString& text) {
        const QString path = docs.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        odt::write(path, {text});
        return path;
    }
    QString outputFolder(const QString& name) {
        const QString path = outputs.filePath(name);
        QDir().mkpath(path);
        return path;
    }
    // The folder holds exactly these PDFs (name -> text), each whole and each with its own text only.
    static void expectPdfs(const QString& folder, const QMap<QString, QString>& texts) {
        QCOMPARE(entriesOf(folder), QStringList(texts.keys()));
        for (auto pdf = texts.cbegin(); pdf != texts.cend(); ++pdf) {
            const QString path = folder + QLatin1Char('/') + pdf.key();
            QVERIFY2(isWholePdf(path), qPrintable(path));
            const QString text = PrivateCupsd::outputOf(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
            for (auto other = texts.cbegin(); other != texts.cend(); ++other)
                QVERIFY2(text.contains(other.value()) == (other == pdf), qPrintable(pdf.key() + QStringLiteral(": ") + text));
        }
    }

private slots:
    void initTestCase() {
        if (pdfrun::asTestUser()) {
            QVERIFY2(::geteuid() != 0, "the cases must not run as root");
            return;
        }
        if (!PrivateCupsd::unavailableReason().isEmpty()) QSKIP(qPrintable(PrivateCupsd::unavailableReason()));
        for (const QString program : {QStringLiteral("soffice"), QStringLiteral("pdftotext"), QStringLiteral("pdfinfo"),
                                      QStringLiteral("runuser")})
            if (QStandardPaths::findExecutable(program).isEmpty()) QSKIP(qPrintable(program + QStringLiteral(" is not installed")));
        cups = std::make_unique<PrivateCupsd>();
        QVERIFY2(cups->started(), qPrintable(cups->error()));
        user = std::make_unique<pdfrun::TestUser>(*cups);
        const QString unreachable = user->unreachable(QStringLiteral(QUORVANE_PROGRAM_DIR));
        if (!unreachable.isEmpty()) QSKIP(qPrintable(unreachable));
        makeFixtures();
        qputenv("QUORVANE_OFFICE_TIMEOUT", "20");
    }

    void startUpTellsOfTheMissingPdfPrinterOnly_data() {
        QTest::addColumn<bool>("installed");
        QTest::newRow("missing") << false;
        QTest::newRow("installed") << true;
    }
    void startUpTellsOfTheMissingPdfPrinterOnly() {
        QFETCH(bool, installed);
        if (!pdfrun::asTestUser()) return asTheTestUser(installed);
        Window w;
        QCOMPARE(w.form.Combo1->findText(PdfPrinterName) >= 0, installed);
        if (installed) {
            QCOMPARE(w.startUpMessages, QStringList());
        } else {
            QCOMPARE(w.startUpMessages.size(), 1);
            QVERIFY(w.startUpMessages.first().startsWith(
                PdfPrinterName + QStringLiteral(" is not installed. Please follow these instructions:\r\n\r\n1) ")));
        }
    }

    void everyDocumentBecomesAPdfNamedAfterIt() {
        if (!pdfrun::asTestUser()) return asTheTestUser();
        Window w;
        w.real.printers.setDefaultPrinter(QStringLiteral("Alpha"));
        QVERIFY(w.choose(PdfPrinterName));
        const QString folder = outputFolder(QStringLiteral("PDF out"));
        const int jobs = pdfJobs();
        const QStringList messages = w.run(
            {document(QStringLiteral("Annual report.odt"), QStringLiteral("Figures of the year")),
             document(QStringLiteral("Q&A #3 'final'.odt"), QStringLiteral("Questions and answers")),
             document(QString::fromUtf8("Büro – Zahlen.odt"), QString::fromUtf8("Zahlen des Büros")),
             document(QStringLiteral("v1.2 notes.odt"), QStringLiteral("Notes on the release")),
             document(QStringLiteral("minutes: 2021?.odt"), QStringLiteral("Minutes of the meeting"))},
            folder + QLatin1Char('/'));
        QCOMPARE(messages, QStringList{QStringLiteral("Done.")});
        // Asked once, before the first document.
        QCOMPARE(w.progressAtFolderWindow, QStringList{QStringLiteral("Progress Bar")});
        QCOMPARE(w.real.printers.defaultPrinter(), QStringLiteral("Alpha"));
        QVERIFY(waitForPdfJobs(jobs, 5));
        expectPdfs(folder, {{QStringLiteral("Annual report.pdf"), QStringLiteral("Figures of the year")},
                            {QStringLiteral("Q&A 3 final.pdf"), QStringLiteral("Questions and answers")},
                            {QString::fromUtf8("Büro – Zahlen.pdf"), QString::fromUtf8("Zahlen des Büros")},
                            {QStringLiteral("v1.2 notes.pdf"), QStringLiteral("Notes on the release")},
                            {QStringLiteral("minutes  2021.pdf"), QStringLiteral("Minutes of the meeting")}});
    }

    // The later of two documents with one base name must not replace the earlier one's PDF; a PDF of
    // an earlier run under that name is replaced. An ordinary run afterwards asks for no folder.
    void oneBaseNameTwiceGivesTwoPdfs() {
        if (!pdfrun::asTestUser()) return asTheTestUser();
        Window w;
        QVERIFY(w.choose(PdfPrinterName));
        const QString folder = outputFolder(QStringLiteral("twice"));
        QFile earlier(folder + QStringLiteral("/report.pdf"));
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("an earlier run's file") > 0);
        earlier.close();
        const int jobs = pdfJobs();
        QCOMPARE(w.run({document(QStringLiteral("a/report.odt"), QStringLiteral("The first report")),
                        document(QStringLiteral("b/report.odt"), QStringLiteral("The second report"))},
                       folder),
                 QStringList{QStringLiteral("Done.")});
        QVERIFY(waitForPdfJobs(jobs, 2));
        expectPdfs(folder, {{QStringLiteral("report.pdf"), QStringLiteral("The first report")},
                            {QStringLiteral("report (2).pdf"), QStringLiteral("The second report")}});

        QVERIFY(w.choose(QStringLiteral("Alpha")));
        QCOMPARE(w.run({document(QStringLiteral("c/report.odt"), QStringLiteral("On paper"))}, folder),
                 QStringList{QStringLiteral("Done.")});
        QCOMPARE(w.progressAtFolderWindow.size(), 1);
        QCOMPARE(pdfJobs(), jobs + 2);
    }

    // Each PDF that did not come out is reported where the run waits for it; then the run ends.
    static void expectNotWrittenThenDone(const QStringList& messages, const QStringList& missing) {
        QCOMPARE(messages.size(), missing.size() + 1);
        for (qsizetype i = 0; i < missing.size(); ++i) {
            QVERIFY2(messages[i].startsWith(QStringLiteral("The PDF file \"") + missing[i] + QStringLiteral("\" was not written")),
                     qPrintable(messages[i]));
            QVERIFY(messages[i].contains(QStringLiteral("Form1.PushButton2_Click at line 162")));
        }
        QCOMPARE(messages.last(), QStringLiteral("Done."));
    }

    // Where the user may not write, nothing is written, the file there stays as it was, the run says
    // which PDFs did not come out, and the run's other documents still come out where they can.
    void whatTheUserMayNotWriteStaysAsItIs() {
        if (!pdfrun::asTestUser()) return asTheTestUser();
        const QString fixtureFolder = qEnvironmentVariable(FixturesVariable);
        const QString protectedFolder = fixtureFolder + QStringLiteral("/protected");
        const QString shared = fixtureFolder + QStringLiteral("/shared");
        const QString precious = protectedFolder + QStringLiteral("/precious.pdf");
        Window w;
        QVERIFY(w.choose(PdfPrinterName));
        const int jobs = pdfJobs();
        expectNotWrittenThenDone(w.run({document(QStringLiteral("precious.odt"), QStringLiteral("Must not replace")),
                                        document(QStringLiteral("fresh.odt"), QStringLiteral("Must not appear"))},
                                       protectedFolder + QLatin1Char('/')),
                                 {precious, protectedFolder + QStringLiteral("/fresh.pdf")});
        QVERIFY(waitForPdfJobs(jobs, 2));
        QCOMPARE(contentOf(precious), PreciousBytes);
        QCOMPARE(entriesOf(protectedFolder), QStringList{QStringLiteral("precious.pdf")});

        expectNotWrittenThenDone(w.run({document(QStringLiteral("shared.odt"), QStringLiteral("Must not pass the link")),
                                        document(QStringLiteral("after.odt"), QStringLiteral("Beside the link"))},
                                       shared),
                                 {shared + QStringLiteral("/shared.pdf")});
        QVERIFY(waitForPdfJobs(jobs + 2, 2));
        QCOMPARE(contentOf(precious), PreciousBytes);
        QCOMPARE(QFileInfo(shared + QStringLiteral("/shared.pdf")).symLinkTarget(), precious);
        QCOMPARE(entriesOf(shared), (QStringList{QStringLiteral("after.pdf"), QStringLiteral("shared.pdf")}));
        QVERIFY(isWholePdf(shared + QStringLiteral("/after.pdf")));
        QVERIFY(PrivateCupsd::outputOf(QStringLiteral("pdftotext"), {shared + QStringLiteral("/after.pdf"), QStringLiteral("-")})
                    .contains(QStringLiteral("Beside the link")));
        QCOMPARE(w.progressAtFolderWindow.size(), 2);  // once for each run
    }

    // A document the office cannot open is reported, gets no PDF, and leaves the others their names.
    void aBrokenDocumentCostsTheOthersNothing() {
        if (!pdfrun::asTestUser()) return asTheTestUser();
        Window w;
        QVERIFY(w.choose(PdfPrinterName));
        const QString folder = outputFolder(QStringLiteral("broken"));
        const QString broken = document(QStringLiteral("broken.odt"), QStringLiteral("Never printed"));
        QVERIFY(QFile::resize(broken, 400));
        const int jobs = pdfJobs();
        const QStringList messages = w.run({document(QStringLiteral("before.odt"), QStringLiteral("Before the broken one")),
                                            broken,
                                            document(QStringLiteral("after.odt"), QStringLiteral("After the broken one"))},
                                           folder);
        QVERIFY2(messages.size() >= 2, qPrintable(messages.join(QLatin1Char('|'))));
        QVERIFY(messages.first().contains(QStringLiteral("Form1.PushButton2_Click")));
        QCOMPARE(messages.last(), QStringLiteral("Done."));
        QVERIFY(waitForPdfJobs(jobs, 2));
        expectPdfs(folder, {{QStringLiteral("before.pdf"), QStringLiteral("Before the broken one")},
                            {QStringLiteral("after.pdf"), QStringLiteral("After the broken one")}});
    }

    // A PDF printer that is stopped while a run sends it documents: each job waits with its own file
    // bound to it, and once the printer is started again every PDF comes out under its own name.
    void aStoppedPdfPrinterWritesEachPdfUnderItsOwnNameLater() {
        const QString folder = qEnvironmentVariable(FixturesVariable) + QStringLiteral("/later");
        if (!pdfrun::asTestUser()) {
            const QString later = fixtures->filePath(QStringLiteral("later"));
            QVERIFY(QDir().mkpath(later));
            QVERIFY(PrivateCupsd::runTool(QStringLiteral("chown"), {user->name(), later}));
            QVERIFY2(setPdfPrinterInstalled(true), qPrintable(cups->error()));
            QVERIFY(PrivateCupsd::runTool(QStringLiteral("cupsdisable"), {QStringLiteral("-r"), QStringLiteral("paused"), PdfQueue}));
            const int jobs = pdfJobs();
            asTheTestUser();
            QVERIFY(PrivateCupsd::runTool(QStringLiteral("cupsenable"), {PdfQueue}));
            QVERIFY(waitForPdfJobs(jobs, 3));
            expectPdfs(later, {{QStringLiteral("report.pdf"), QStringLiteral("The first report")},
                               {QStringLiteral("report (2).pdf"), QStringLiteral("The second report")},
                               {QStringLiteral("summary.pdf"), QStringLiteral("The summary")}});
            return;
        }
        Window w;
        QVERIFY(w.choose(PdfPrinterName));
        const QStringList messages = w.run({document(QStringLiteral("p/report.odt"), QStringLiteral("The first report")),
                                            document(QStringLiteral("q/report.odt"), QStringLiteral("The second report")),
                                            document(QStringLiteral("summary.odt"), QStringLiteral("The summary"))},
                                           folder + QLatin1Char('/'));
        QCOMPARE(messages.size(), 4);
        for (int i = 0; i < 3; ++i) QVERIFY2(messages[i].contains(QStringLiteral("paused")), qPrintable(messages[i]));
        QCOMPARE(messages.last(), QStringLiteral("Done."));
        QCOMPARE(entriesOf(folder), QStringList());
    }

    // What another program prints to the PDF printer after a run goes to the printer's own folder: the
    // run's PDF stays as the run wrote it.
    void anotherProgramsJobLeavesTheRunsPdfAlone() {
        if (!pdfrun::asTestUser()) return asTheTestUser();
        Window w;
        QVERIFY(w.choose(PdfPrinterName));
        const QString folder = outputFolder(QStringLiteral("kept"));
        const int jobs = pdfJobs();
        QCOMPARE(w.run({document(QStringLiteral("kept.odt"), QStringLiteral("The run's own"))}, folder),
                 QStringList{QStringLiteral("Done.")});
        QVERIFY(waitForPdfJobs(jobs, 1));
        const QByteArray written = contentOf(folder + QStringLiteral("/kept.pdf"));
        QVERIFY(written.startsWith("%PDF-"));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lp"), {QStringLiteral("-d"), PdfQueue, QStringLiteral("-t"),
                                                             QStringLiteral("kept.pdf"), folder + QStringLiteral("/kept.pdf")}));
        QVERIFY(waitForPdfJobs(jobs + 1, 1));
        QCOMPARE(contentOf(folder + QStringLiteral("/kept.pdf")), written);
        QCOMPARE(entriesOf(QDir::homePath() + QStringLiteral("/PDF")), QStringList{QStringLiteral("kept.pdf")});
    }

    // A document that fails leaves an earlier PDF of its name as it was: only a whole new PDF replaces it.
    void aFailingDocumentLeavesTheEarlierPdf() {
        if (!pdfrun::asTestUser()) return asTheTestUser();
        Window w;
        QVERIFY(w.choose(PdfPrinterName));
        const QString folder = outputFolder(QStringLiteral("earlier"));
        QFile earlier(folder + QStringLiteral("/notes.pdf"));
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("%PDF-1.4 an earlier run's notes") > 0);
        earlier.close();
        const QString broken = document(QStringLiteral("notes.odt"), QStringLiteral("Never printed"));
        QVERIFY(QFile::resize(broken, 400));
        const QStringList messages = w.run({broken}, folder);
        QVERIFY2(messages.first().contains(QStringLiteral("at line 148")), qPrintable(messages.join(QLatin1Char('|'))));
        QCOMPARE(messages.last(), QStringLiteral("Done."));
        QCOMPARE(contentOf(folder + QStringLiteral("/notes.pdf")), QByteArray("%PDF-1.4 an earlier run's notes"));
    }

    // The proposed folder, the desktop folder, may not exist (many accounts have none): the run makes it.
    void aMissingOutputFolderIsMade() {
        if (!pdfrun::asTestUser()) return asTheTestUser();
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        QDir(folder).removeRecursively();
        Window w;
        w.real.shell.desktop = folder;  // the recorded shell stands in for the desktop's
        QVERIFY(w.choose(PdfPrinterName));
        const int jobs = pdfJobs();
        const QStringList messages = w.run({document(QStringLiteral("first.odt"), QStringLiteral("A first PDF"))}, QString());
        QVERIFY2(messages == QStringList{QStringLiteral("Done.")}, qPrintable(messages.join(QLatin1Char('|'))));
        QVERIFY(waitForPdfJobs(jobs, 1));
        expectPdfs(folder, {{QStringLiteral("first.pdf"), QStringLiteral("A first PDF")}});
    }
};

QTEST_MAIN(PdfRunTest)
#include "test_pdf_run.moc"
