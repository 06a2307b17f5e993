// The "Vendrell PDF Writer" printer on a private scheduler, printed to by an unprivileged user:
// where the PDF lands (the file bound to the job, else ~/PDF), what it never touches, the files'
// permissions and names, and that a failed job leaves nothing half-written.
#include <QtTest>

#include "cupsd/PdfWriterJobs.h"
#include "platform/linux/LinuxRegistry.h"

namespace {
const QString Queue = PdfWriterJobs::Queue;
QByteArray PostScript(const QString& text) { return PdfWriterJobs::postScript(text); }
QByteArray Content(const QString& path) { return PdfWriterJobs::content(path); }
}  // namespace

class PdfWriterTest : public QObject, PdfWriterTestBed {
    Q_OBJECT
    QString user, home;

    QString userFolder(const QString& name) const { return PdfWriterJobs::userFolder(user, name); }
    bool printTo(const QByteArray& data, const QString& title, const QString& target) {
        return jobs->printTo(user, data, title, target);
    }
    bool print(const QByteArray& data, const QString& title) { return jobs->print(user, data, title); }
    void clearValues() { QFile::remove(PdfWriterJobs::valuesFile(user)); }
    QString pdfFolder() const { return home + QStringLiteral("/PDF"); }
    QStringList pdfFolderNames() const { return QDir(pdfFolder()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name); }
    void emptyPdfFolder() { QDir(pdfFolder()).removeRecursively(); }
    bool runsGhostscript() const { return !PdfWriterJobs::processes(PdfWriterJobs::uidOf(user), "gs").isEmpty(); }
    static QStringList leftovers(const QString& folder) {
        return QDir(folder).entryList({QStringLiteral(".vendrellpdf-*")}, QDir::Files | QDir::Hidden);
    }
    static int permissions(const QString& path) {
        struct stat info {};
        return lstat(path.toUtf8().constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
    }
    // Runs the backend as the scheduler would (as root, the job's data in a file); its exit code.
    int runBackend(const QByteArray& title, const QString& host, const QByteArray& data, QByteArray* log = nullptr) {
        QTemporaryFile input;
        input.open();
        input.write(data);
        input.close();
        QProcess backend;
        // The title as raw bytes, which need not be UTF-8.
        backend.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("exec \"$0\" 9 \"$1\" \"$(printf \"$2\")\" 1 \"$3\" \"$4\""),
                                             PdfWriterJobs::Backend, user, QString::fromLatin1(title),
                                             QStringLiteral("job-originating-host-name=") + host, input.fileName()});
        backend.waitForFinished(60000);
        if (log) *log = backend.readAllStandardError();
        return backend.exitCode();
    }

private slots:
    void initTestCase() {
        if (const QString reason = PdfWriterJobs::unavailableReason(); !reason.isEmpty()) QSKIP(qPrintable(reason));
        QVERIFY2(start(), qPrintable(cupsd->error()));
        user = cupsd->testUser();
        home = cupsd->testHome();
    }

    void aBoundJobIsWrittenAsARealPdfToItsFile() {
        // A folder name that a converter could mistake for a format ("%d") and non-ASCII text.
        const QString folder = userFolder(QString::fromUtf8("out/100%d – Büro"));
        const QString target = folder + QStringLiteral("/report.pdf");
        QVERIFY(printTo(PdfWriterJobs::pdfOf(PostScript(QStringLiteral("Sent as PDF"))), QStringLiteral("report.odt"), target));
        QVERIFY2(cupsd->jobText(target).contains(QStringLiteral("Sent as PDF")), qPrintable(cupsd->log().right(2000)));
        QVERIFY(printTo(PostScript(QStringLiteral("Sent as PostScript")), QStringLiteral("report.odt"), target));
        QVERIFY(Content(target).startsWith("%PDF-"));
        QVERIFY(cupsd->jobText(target).contains(QStringLiteral("Sent as PostScript")));
        QCOMPARE(QFileInfo(target).ownerId(), uint(PdfWriterJobs::uidOf(user)));
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"report.pdf"});
        QVERIFY(!QDir(pdfFolder()).exists());
    }

    // The program sets BypassSaveAs before it sends a job and records the job's file right after:
    // the job waits for that record, and goes to ~/PDF when none comes.
    void aJobWaitsForItsFileToBeRecorded() {
        const QString folder = userFolder(QStringLiteral("bound"));
        const QString target = folder + QStringLiteral("/late.pdf"), bare = folder + QStringLiteral("/bare.pdf");
        PdfWriterJobs::writeValues(user, {QStringLiteral("BypassSaveAs=1"), QStringLiteral("OutputFile=") + bare});
        const int job = PdfWriterJobs::submit(user, PostScript(QStringLiteral("recorded late")), QStringLiteral("late"));
        QVERIFY(job);
        QTest::qWait(2000);
        QVERIFY(!QFile::exists(target));
        // The program's own registry layer records it, as the program does.
        qputenv("HOME", home.toUtf8());
        auto key = LinuxRegistry().createKey(QStringLiteral("Software\\Vendrell PDF Writer"));
        QVERIFY(key && key->setString(QStringLiteral("OutputFile.%1").arg(job), target));
        QVERIFY(cupsd->waitUntilIdle());
        QVERIFY2(cupsd->jobText(target).contains(QStringLiteral("recorded late")), qPrintable(cupsd->log().right(2000)));
        QVERIFY(!QFile::exists(bare));

        // BypassSaveAs ends without a record: the job goes to ~/PDF at once.
        QVERIFY(PdfWriterJobs::submit(user, PostScript(QStringLiteral("bypass ended")), QStringLiteral("Ended")));
        QTest::qWait(1000);
        QElapsedTimer waited;
        waited.start();
        QVERIFY(key->setString(QStringLiteral("BypassSaveAs"), QStringLiteral("0")));
        QVERIFY(cupsd->waitUntilIdle());
        QVERIFY(waited.elapsed() < 10000);
        QVERIFY(cupsd->jobText(pdfFolder() + QStringLiteral("/Ended.pdf")).contains(QStringLiteral("bypass ended")));

        // No record within 30 seconds: ~/PDF, and the bare OutputFile is never a target.
        QVERIFY(key->setString(QStringLiteral("BypassSaveAs"), QStringLiteral("1")));
        QVERIFY(PdfWriterJobs::submit(user, PostScript(QStringLiteral("never recorded")), QStringLiteral("Unrecorded")));
        QVERIFY(cupsd->waitUntilIdle(60000));
        QVERIFY(cupsd->jobText(pdfFolder() + QStringLiteral("/Unrecorded.pdf")).contains(QStringLiteral("never recorded")));
        QVERIFY(!QFile::exists(bare));
        clearValues();
        emptyPdfFolder();
    }

    // After a run, a job that any other program sends goes to ~/PDF: the run's PDF stays.
    void anotherProgramsJobNeverReplacesARunsPdf() {
        const QString runPdf = userFolder(QStringLiteral("run")) + QStringLiteral("/chapter.pdf");
        QVERIFY(printTo(PostScript(QStringLiteral("the run's")), QStringLiteral("chapter"), runPdf));
        const QByteArray written = Content(runPdf);
        QVERIFY(written.startsWith("%PDF-"));
        PdfWriterJobs::writeValues(user, {QStringLiteral("OutputFile=") + runPdf, QStringLiteral("OutputFile.1=") + runPdf,
                                          QStringLiteral("BypassSaveAs=0")});
        QVERIFY(print(PostScript(QStringLiteral("another program")), QStringLiteral("Other")));
        QCOMPARE(Content(runPdf), written);
        QVERIFY(cupsd->jobText(pdfFolder() + QStringLiteral("/Other.pdf")).contains(QStringLiteral("another program")));
        clearValues();
        emptyPdfFolder();
    }

    void filesTheUserMayNotWriteStayUntouched() {
        // A folder of root's, and in the user's own folder a link to a file of root's.
        QTemporaryDir roots;
        QVERIFY(chmod(roots.path().toUtf8().constData(), 0755) == 0);
        const QString rootFile = roots.filePath(QStringLiteral("precious.pdf"));
        QFile file(rootFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("root's own");
        file.close();
        chmod(rootFile.toUtf8().constData(), 0644);
        const QString link = userFolder(QStringLiteral("links")) + QStringLiteral("/link.pdf");
        QVERIFY(QFile::link(rootFile, link));

        for (const QString& target : {rootFile, roots.filePath(QStringLiteral("new.pdf")), link}) {
            QVERIFY(printTo(PostScript(QStringLiteral("Intruder")), QStringLiteral("intrude"), target));
            QCOMPARE(Content(rootFile), QByteArray("root's own"));
            QVERIFY(!QFile::exists(roots.filePath(QStringLiteral("new.pdf"))));
            QCOMPARE(QFileInfo(link).symLinkTarget(), rootFile);
        }
        QCOMPARE(leftovers(roots.path()) + leftovers(QFileInfo(link).path()), QStringList());
        QVERIFY(cupsd->log().contains(QStringLiteral("is not a regular file; it is left as it is")));
    }

    void aFailedJobLeavesNoPartialFile() {
        const QString folder = userFolder(QStringLiteral("failed"));
        const QString target = folder + QStringLiteral("/doc.pdf");
        const QByteArray brokenPostScript = "%!PS\n/Helvetica findfont 20 scalefont setfont 72 700 moveto (half) show\n"
                                            "no_such_operator showpage\n";
        const QByteArray pdf = PdfWriterJobs::pdfOf(PostScript(QStringLiteral("whole")));
        const QByteArray cutPdf = pdf.left(pdf.size() / 2);
        // Looks whole from both ends, but its objects are gone.
        const QByteArray hollowPdf = pdf.left(pdf.indexOf("obj") - 10) + QByteArray(2000, 'x') + pdf.mid(pdf.lastIndexOf("xref"));
        for (const QByteArray& job : {brokenPostScript, cutPdf, hollowPdf}) {
            QVERIFY(printTo(job, QStringLiteral("doc"), target));
            QVERIFY(!QFile::exists(target));
            QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
        }
        // An earlier PDF at the target stays as it was.
        QVERIFY(printTo(pdf, QStringLiteral("doc"), target));
        const QByteArray earlier = Content(target);
        QVERIFY(printTo(brokenPostScript, QStringLiteral("doc"), target));
        QVERIFY(printTo(hollowPdf, QStringLiteral("doc"), target));
        QCOMPARE(Content(target), earlier);
        // The queue still takes jobs after the failures.
        QVERIFY(printTo(PostScript(QStringLiteral("after failures")), QStringLiteral("doc"), target));
        QVERIFY(cupsd->jobText(target).contains(QStringLiteral("after failures")));
        const QString log = cupsd->log();
        QVERIFY(log.contains(QStringLiteral("the PostScript conversion failed")));
        QVERIFY(log.contains(QStringLiteral("the PDF document is incomplete")));
        QVERIFY(log.contains(QStringLiteral("the PDF document is damaged or incomplete")));
        // What is neither PDF nor PostScript (CUPS's filters turn what they know into PDF first).
        QByteArray refusal;
        QCOMPARE(runBackend("doc", QStringLiteral("localhost"), "\x01\x02 no document\n", &refusal), 5);
        QVERIFY(refusal.contains("the document is neither PDF nor PostScript"));
    }

    // Another file keeps its permissions when a job replaces it; a new file may be read by whom
    // may read its folder, and written by its owner only.
    void permissionsOfWrittenFiles() {
        const QString folder = userFolder(QStringLiteral("modes"));
        for (const int mode : {0600, 0640, 0664}) {
            const QString target = folder + QStringLiteral("/kept-%1.pdf").arg(mode, 0, 8);
            QVERIFY(printTo(PostScript(QStringLiteral("first")), QStringLiteral("m"), target));
            QVERIFY(chmod(target.toUtf8().constData(), mode_t(mode)) == 0);
            QVERIFY(printTo(PostScript(QStringLiteral("second")), QStringLiteral("m"), target));
            QVERIFY(cupsd->jobText(target).contains(QStringLiteral("second")));
            QCOMPARE(permissions(target), mode);
        }
        for (const auto& [folderMode, fileMode] : {std::pair{0755, 0644}, {0750, 0640}, {0700, 0600}, {0777, 0644}}) {
            const QString sub = userFolder(QStringLiteral("modes/%1").arg(folderMode, 0, 8));
            QVERIFY(chmod(sub.toUtf8().constData(), mode_t(folderMode)) == 0);
            QVERIFY(printTo(PostScript(QStringLiteral("new")), QStringLiteral("m"), sub + QStringLiteral("/new.pdf")));
            QCOMPARE(permissions(sub + QStringLiteral("/new.pdf")), fileMode);
        }
        clearValues();
        QVERIFY(print(PostScript(QStringLiteral("private")), QStringLiteral("Private")));
        QCOMPARE(permissions(pdfFolder()), 0700);
        QCOMPARE(permissions(pdfFolder() + QStringLiteral("/Private.pdf")), 0600);
        emptyPdfFolder();
    }

    void withoutABoundFileTheJobLandsInTheUsersPdfFolder() {
        clearValues();
        emptyPdfFolder();
        QVERIFY(print(PostScript(QStringLiteral("first")), QStringLiteral("Q&A 3/final.odt")));
        QVERIFY(print(PostScript(QStringLiteral("second")), QStringLiteral("Q&A 3/final.odt")));
        PdfWriterJobs::writeValues(user, {QStringLiteral("OutputFile=") + home + QStringLiteral("/ignored.pdf"),
                                          QStringLiteral("BypassSaveAs=0")});
        QVERIFY(print(PostScript(QStringLiteral("third")), QStringLiteral("Memo.PDF")));
        QCOMPARE(pdfFolderNames(), (QStringList{"Memo.pdf", "Q&A 3_final.odt (2).pdf", "Q&A 3_final.odt.pdf"}));
        QVERIFY(cupsd->jobText(pdfFolder() + QStringLiteral("/Q&A 3_final.odt.pdf")).contains(QStringLiteral("first")));
        QVERIFY(cupsd->jobText(pdfFolder() + QStringLiteral("/Q&A 3_final.odt (2).pdf")).contains(QStringLiteral("second")));
        QVERIFY(!QFile::exists(home + QStringLiteral("/ignored.pdf")));
        emptyPdfFolder();
    }

    // A name in ~/PDF taken by a link or a folder is passed over like a taken file name.
    void takenNamesArePassedOver() {
        clearValues();
        emptyPdfFolder();
        userFolder(QStringLiteral("PDF"));
        QVERIFY(QDir().mkpath(pdfFolder() + QStringLiteral("/Taken (2).pdf")));
        QVERIFY(QFile::link(home + QStringLiteral("/elsewhere.pdf"), pdfFolder() + QStringLiteral("/Taken.pdf")));
        QVERIFY(QFile::link(home + QStringLiteral("/loop (3).pdf"), pdfFolder() + QStringLiteral("/Taken (3).pdf")));
        QVERIFY(print(PostScript(QStringLiteral("passed over")), QStringLiteral("Taken")));
        QVERIFY(cupsd->jobText(pdfFolder() + QStringLiteral("/Taken (4).pdf")).contains(QStringLiteral("passed over")));
        QVERIFY(!QFile::exists(home + QStringLiteral("/elsewhere.pdf")));
        QVERIFY(QFileInfo(pdfFolder() + QStringLiteral("/Taken (2).pdf")).isDir());
        emptyPdfFolder();
    }

    // Titles of bytes that are no valid UTF-8 (overlong, surrogate, above U+10FFFF, cut short)
    // never reach a file name.
    void badTitlesGiveValidNames() {
        clearValues();
        emptyPdfFolder();
        const QByteArray pdf = PdfWriterJobs::pdfOf(PostScript(QStringLiteral("title")));
        const QList<QPair<QByteArray, QString>> titles{
            {"over\\300\\257long", QStringLiteral("over__long.pdf")},                 // "/" as two bytes
            {"sur\\355\\240\\200rogate", QStringLiteral("sur___rogate.pdf")},         // U+D800
            {"big\\364\\220\\200\\200", QStringLiteral("big____.pdf")},               // U+110000
            {"five\\370\\210\\200\\200\\200", QStringLiteral("five_____.pdf")},       // five-byte form
            {"cut\\342\\202", QStringLiteral("cut__.pdf")},                           // € cut short
            {"B\\303\\274ro \\342\\202\\254", QString::fromUtf8("Büro €.pdf")}};      // valid
        for (const auto& [title, name] : titles) {
            QByteArray log;
            QCOMPARE(runBackend(title, QStringLiteral("localhost"), pdf, &log), 0);
            QVERIFY2(QFile::exists(pdfFolder() + QLatin1Char('/') + name), qPrintable(pdfFolderNames().join(QLatin1Char('|')) + log));
        }
        QCOMPARE(pdfFolderNames().size(), titles.size());
        emptyPdfFolder();
    }

    // A values file that is there but not read is named in the log with the reason; the job goes
    // to ~/PDF. One with a byte-order mark is read.
    void anIgnoredValuesFileIsReported() {
        const QString values = PdfWriterJobs::valuesFile(user);
        emptyPdfFolder();
        const QString target = userFolder(QStringLiteral("values")) + QStringLiteral("/bom.pdf");
        const int job = PdfWriterJobs::submit(user, PostScript(QStringLiteral("with a mark")), QStringLiteral("Bom"), true);
        PdfWriterJobs::writeValues(user, {QChar(0xFEFF) + QStringLiteral("OutputFile.%1=").arg(job) + target});
        QVERIFY(PdfWriterJobs::release(user, job) && cupsd->waitUntilIdle());
        QVERIFY(cupsd->jobText(target).contains(QStringLiteral("with a mark")));

        // A FIFO would block the shared queue if it were read.
        clearValues();
        QVERIFY(::mkfifo(values.toUtf8().constData(), 0666) == 0);
        QVERIFY(print(PostScript(QStringLiteral("not blocked")), QStringLiteral("Fifo")));
        QVERIFY(cupsd->jobText(pdfFolder() + QStringLiteral("/Fifo.pdf")).contains(QStringLiteral("not blocked")));
        QVERIFY(cupsd->log().contains(QStringLiteral("is ignored: it is not a regular file")));
        clearValues();
        PdfWriterJobs::writeValues(user, {QString(70000, QLatin1Char('#'))});
        QVERIFY(print(PostScript(QStringLiteral("large")), QStringLiteral("Large")));
        QVERIFY(cupsd->log().contains(QStringLiteral("is ignored: it is larger than 64 KiB")));
        QVERIFY(chmod(values.toUtf8().constData(), 0) == 0);
        QVERIFY(print(PostScript(QStringLiteral("unreadable")), QStringLiteral("Unreadable")));
        QVERIFY(cupsd->log().contains(QStringLiteral("is ignored: it cannot be read: Permission denied")));
        QCOMPARE(pdfFolderNames(), (QStringList{"Fifo.pdf", "Large.pdf", "Unreadable.pdf"}));
        clearValues();
        emptyPdfFolder();
    }

    void onlyTheOwnersOwnJobsFromThisMachineAreWritten() {
        emptyPdfFolder();
        PdfWriterJobs::writeValues(user, {QStringLiteral("BypassSaveAs=0")});
        // Another local user cannot print in the user's name, and root's jobs are never written.
        QString out;
        QVERIFY(!PrivateCupsd::runTool(QStringLiteral("runuser"), {"-u", "nobody", "--", "lp", "-d", Queue, "-U", user, "-"}, &out,
                                       PostScript(QStringLiteral("spoofed"))));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lp"), {QStringLiteral("-d"), Queue, QStringLiteral("-")}, &out,
                                      PostScript(QStringLiteral("root's"))));
        QVERIFY(cupsd->waitUntilIdle());
        QVERIFY(!QDir(pdfFolder()).exists());
        QVERIFY(!QDir(QStringLiteral("/root/PDF")).exists());
        // Jobs from other hosts, given to the backend as the scheduler would; a name that merely
        // begins like a loopback address is another host.
        for (const QString& host : {QStringLiteral("elsewhere.example.org"), QStringLiteral("127.example.org"), QStringLiteral("10.0.0.7")}) {
            QByteArray log;
            QCOMPARE(runBackend("remote", host, PostScript(QStringLiteral("remote")), &log), 5);  // CUPS_BACKEND_CANCEL
            QVERIFY2(log.contains("comes from the host " + host.toUtf8()), log.constData());
        }
        QVERIFY(!QDir(pdfFolder()).exists());
        for (const QString& host : {QStringLiteral("127.0.0.1"), QStringLiteral("[::1]"), QStringLiteral("::ffff:127.0.0.1")})
            QCOMPARE(runBackend("local", host, PostScript(QStringLiteral("local")), nullptr), 0);
        QCOMPARE(pdfFolderNames(), (QStringList{"local (2).pdf", "local (3).pdf", "local.pdf"}));
        emptyPdfFolder();
    }

    void aCancelledConversionEndsAndLeavesNothing() {
        const QString folder = userFolder(QStringLiteral("cancelled"));
        const int job = PdfWriterJobs::submit(user, "%!PS\n{} loop\n", QStringLiteral("endless"), true);
        PdfWriterJobs::writeValues(user, {QStringLiteral("OutputFile.%1=").arg(job) + folder + QStringLiteral("/never.pdf")});
        QVERIFY(PdfWriterJobs::release(user, job));
        QVERIFY(PrivateCupsd::waitFor([&] { return runsGhostscript(); }, 30000));  // converting
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("cancel"), {QStringLiteral("-a"), Queue}));
        QVERIFY(cupsd->waitUntilIdle());
        QVERIFY(PrivateCupsd::waitFor([&] { return !runsGhostscript(); }, 10000));  // the converter was ended
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    // Any program may print text or images with lp: CUPS's own filters make PDF of them.
    void textAndImagesArriveAsPdf() {
        clearValues();
        emptyPdfFolder();
        QVERIFY(print("Plain text from lp\nsecond line\n", QStringLiteral("notes.txt")));
        // texttopdf embeds its font without a map back to Unicode: the text extracts as glyph
        // numbers, which in its font are the character codes less 29 (spaces are left out).
        const QString glyphs = cupsd->jobText(pdfFolder() + QStringLiteral("/notes.txt.pdf"));
        QString text;
        for (const QChar c : glyphs)
            if (c.unicode() > 0x20) text += QChar(c.unicode() + 29);
        QVERIFY2(text.contains(QStringLiteral("Plaintextfromlpsecondline")), qPrintable(glyphs + cupsd->log().right(3000)));
        QTemporaryDir images;
        const QString png = images.filePath(QStringLiteral("square.png"));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("convert"), {QStringLiteral("-size"), QStringLiteral("120x80"),
                                                                  QStringLiteral("xc:red"), png}));
        QVERIFY(print(Content(png), QStringLiteral("square.png")));
        const QString imagePdf = pdfFolder() + QStringLiteral("/square.png.pdf");
        QVERIFY2(Content(imagePdf).startsWith("%PDF-"), qPrintable(cupsd->log().right(3000)));
        QString listed;
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), imagePdf}, &listed));
        QVERIFY2(listed.contains(QRegularExpression(QStringLiteral("\\bimage +120 +80 "))), qPrintable(listed));
        emptyPdfFolder();
    }

    void libreOfficePrintsToIt() {
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) QSKIP("LibreOffice is not installed");
        clearValues();
        emptyPdfFolder();
        const QString folder = userFolder(QStringLiteral("office"));
        const QString document = folder + QStringLiteral("/letter.txt");
        QFile file(document);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Printed by LibreOffice\n");
        file.close();
        QVERIFY(PdfWriterJobs::chownTo(user, document));
        // The user's own office, with a profile of its own in the user's home.
        QVERIFY(PrivateCupsd::runTool(
            QStringLiteral("runuser"),
            {QStringLiteral("-u"), user, QStringLiteral("--"), QStringLiteral("env"), QStringLiteral("HOME=") + home,
             QStringLiteral("timeout"), QStringLiteral("120"), QStringLiteral("soffice"), QStringLiteral("--headless"),
             QStringLiteral("--norestore"), QStringLiteral("-env:UserInstallation=file://") + home + QStringLiteral("/office-profile"),
             QStringLiteral("--pt"), Queue, document}));
        QVERIFY(cupsd->waitUntilIdle());
        const QStringList written = pdfFolderNames();
        QCOMPARE(written.size(), 1);
        QVERIFY2(cupsd->jobText(pdfFolder() + QLatin1Char('/') + written.first()).contains(QStringLiteral("Printed by LibreOffice")),
                 qPrintable(cupsd->log().right(2000)));
    }

    void cleanupTestCase() {
        jobs.reset();
        cupsd.reset();
    }
};

QTEST_GUILESS_MAIN(PdfWriterTest)
#include "test_pdfwriter.moc"
