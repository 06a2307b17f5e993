// The "Vendrell PDF Writer" printer on a private scheduler, printed to by an unprivileged user:
// where the PDF lands, what it never touches, and that a failed job leaves nothing half-written.
#include <QtTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cupsd/PrivateCupsd.h"
#include "platform/linux/LinuxRegistry.h"

namespace {
const QString Queue = QStringLiteral("Vendrell_PDF_Writer");
const QString Backend = QStringLiteral(QUORVANE_BINARY_DIR "/pdfwriter/vendrellpdf");

QByteArray PostScript(const QString& text) {
    return "%!PS\n/Helvetica findfont 20 scalefont setfont 72 700 moveto (" + text.toLatin1() + ") show showpage\n";
}
}  // namespace

class PdfWriterTest : public QObject {
    Q_OBJECT
    std::unique_ptr<PrivateCupsd> cupsd;
    QTemporaryDir inputs;
    QString user, home;
    int inputCount = 0;

    bool chownToUser(const QString& path) const {
        return PrivateCupsd::runTool(QStringLiteral("chown"), {user + QLatin1Char(':') + user, path});
    }
    QString userFolder(const QString& name) const {
        const QString path = home + QLatin1Char('/') + name;
        QDir().mkpath(path);
        chownToUser(path);
        return path;
    }
    // The program's own registry layer writes the values, into the user's home.
    void setValues(const QString& outputFile, const QString& bypass) {
        qputenv("HOME", home.toUtf8());
        auto key = LinuxRegistry().createKey(QStringLiteral("Software\\Vendrell PDF Writer"));
        QVERIFY(key);
        QVERIFY(key->setString(QStringLiteral("OutputFile"), outputFile));
        QVERIFY(key->setString(QStringLiteral("BypassSaveAs"), bypass));
    }
    void clearValues() { QFile::remove(home + QStringLiteral("/.config/Vendrell PDF Writer/registry.ini")); }

    // Prints data as user (or as who says, in user's name) and waits until the job is done.
    bool print(const QByteArray& data, const QString& title, const QString& as = {}) {
        const QString input = inputs.filePath(QString::number(++inputCount));
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) return false;
        file.close();
        QFile::setPermissions(input, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QStringList args{QStringLiteral("-u"), as.isEmpty() ? user : as, QStringLiteral("--"), QStringLiteral("lp"),
                         QStringLiteral("-d"), Queue, QStringLiteral("-t"), title};
        if (!as.isEmpty()) args << QStringLiteral("-U") << user;
        args << input;
        const bool submitted = PrivateCupsd::runTool(QStringLiteral("runuser"), args);
        return cupsd->waitUntilIdle() && submitted;
    }
    QByteArray pdfOf(const QByteArray& postscript) const {
        QByteArray pdf;
        QProcess gs;
        gs.start(QStringLiteral("gs"), {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pdfwrite", "-sOutputFile=-", "-"});
        gs.write(postscript);
        gs.closeWriteChannel();
        gs.waitForFinished(30000);
        return gs.readAllStandardOutput();
    }
    static QByteArray content(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Whether a Ghostscript process of the user is still there.
    bool runsGhostscript() const {
        const QByteArray uid = QByteArray::number(getpwnam(user.toUtf8().constData())->pw_uid);
        for (const QString& pid : QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs)) {
            const QByteArray status = content(QStringLiteral("/proc/") + pid + QStringLiteral("/status"));
            if (status.startsWith("Name:\tgs\n") && status.contains("\nUid:\t" + uid + "\t")) return true;
        }
        return false;
    }
    static QStringList leftovers(const QString& folder) {
        return QDir(folder).entryList({QStringLiteral(".vendrellpdf-*")}, QDir::Files | QDir::Hidden);
    }

private slots:
    void initTestCase() {
        const QString reason = PrivateCupsd::unavailableReason();
        if (!reason.isEmpty()) QSKIP(qPrintable(reason));
        if (QStandardPaths::findExecutable(QStringLiteral("gs")).isEmpty()) QSKIP("Ghostscript is not installed");
        cupsd = std::make_unique<PrivateCupsd>();
        QVERIFY2(cupsd->started(), qPrintable(cupsd->error()));
        QVERIFY2(cupsd->installPdfWriter(Backend), qPrintable(cupsd->error()));
        user = cupsd->testUser();
        home = cupsd->testHome();
        QFile::setPermissions(inputs.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
    }

    void bypassWritesARealPdfToOutputFile() {
        // A folder name that a converter could mistake for a format ("%d") and non-ASCII text.
        const QString folder = userFolder(QString::fromUtf8("out/100%d – Büro"));
        const QString target = folder + QStringLiteral("/report.pdf");
        setValues(target, QStringLiteral("1"));
        QVERIFY(print(pdfOf(PostScript(QStringLiteral("Sent as PDF"))), QStringLiteral("report.odt")));
        QVERIFY2(cupsd->jobText(target).contains(QStringLiteral("Sent as PDF")), qPrintable(cupsd->log().right(2000)));
        QVERIFY(print(PostScript(QStringLiteral("Sent as PostScript")), QStringLiteral("report.odt")));
        QVERIFY(content(target).startsWith("%PDF-"));
        QVERIFY(cupsd->jobText(target).contains(QStringLiteral("Sent as PostScript")));
        QCOMPARE(QFileInfo(target).ownerId(), uint(getpwnam(user.toUtf8().constData())->pw_uid));
        QCOMPARE(leftovers(folder), QStringList());
        QVERIFY(!QDir(home + QStringLiteral("/PDF")).exists());
    }

    void filesTheUserMayNotWriteStayUntouched() {
        // A folder of root's, and in the user's own folder a link to a file of root's.
        const QString rootFolder = inputs.filePath(QStringLiteral("roots"));
        QVERIFY(QDir().mkpath(rootFolder));
        const QString rootFile = rootFolder + QStringLiteral("/precious.pdf");
        QFile file(rootFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("root's own");
        file.close();
        chmod(rootFolder.toUtf8().constData(), 0755);
        chmod(rootFile.toUtf8().constData(), 0644);
        const QString link = userFolder(QStringLiteral("links")) + QStringLiteral("/link.pdf");
        QVERIFY(QFile::link(rootFile, link));

        for (const QString& target : {rootFile, rootFolder + QStringLiteral("/new.pdf"), link}) {
            setValues(target, QStringLiteral("1"));
            QVERIFY(print(PostScript(QStringLiteral("Intruder")), QStringLiteral("intrude")));
            QCOMPARE(content(rootFile), QByteArray("root's own"));
            QVERIFY(!QFile::exists(rootFolder + QStringLiteral("/new.pdf")));
            QCOMPARE(QFileInfo(link).symLinkTarget(), rootFile);
        }
        QCOMPARE(leftovers(rootFolder) + leftovers(QFileInfo(link).path()), QStringList());
        QVERIFY(cupsd->log().contains(QStringLiteral("is not a regular file; it is left as it is")));
    }

    void aFailedJobLeavesNoPartialFile() {
        const QString folder = userFolder(QStringLiteral("failed"));
        const QString target = folder + QStringLiteral("/doc.pdf");
        setValues(target, QStringLiteral("1"));
        const QByteArray brokenPostScript = "%!PS\n/Helvetica findfont 20 scalefont setfont 72 700 moveto (half) show\n"
                                            "no_such_operator showpage\n";
        const QByteArray pdf = pdfOf(PostScript(QStringLiteral("whole")));
        const QByteArray cutPdf = pdf.left(pdf.size() / 2);
        for (const QByteArray& job : {brokenPostScript, cutPdf, QByteArray("plain text, no PDF\n")}) {
            QVERIFY(print(job, QStringLiteral("doc")));
            QVERIFY(!QFile::exists(target));
            QCOMPARE(leftovers(folder), QStringList());
        }
        // An earlier PDF at the target stays as it was.
        QVERIFY(print(pdf, QStringLiteral("doc")));
        const QByteArray earlier = content(target);
        QVERIFY(print(brokenPostScript, QStringLiteral("doc")));
        QCOMPARE(content(target), earlier);
        // The queue still takes jobs after the failures.
        QVERIFY(print(PostScript(QStringLiteral("after failures")), QStringLiteral("doc")));
        QVERIFY(cupsd->jobText(target).contains(QStringLiteral("after failures")));
        const QString log = cupsd->log();
        QVERIFY(log.contains(QStringLiteral("the PostScript conversion failed")));
        QVERIFY(log.contains(QStringLiteral("the PDF document is incomplete")));
        QVERIFY(log.contains(QStringLiteral("the document is neither PDF nor PostScript")));
    }

    void withoutBypassTheJobLandsInTheUsersPdfFolder() {
        clearValues();
        QVERIFY(print(PostScript(QStringLiteral("first")), QStringLiteral("Q&A 3/final.odt")));
        QVERIFY(print(PostScript(QStringLiteral("second")), QStringLiteral("Q&A 3/final.odt")));
        setValues(home + QStringLiteral("/ignored.pdf"), QStringLiteral("0"));
        QVERIFY(print(PostScript(QStringLiteral("third")), QStringLiteral("Memo.PDF")));
        const QString pdfFolder = home + QStringLiteral("/PDF");
        QCOMPARE(QDir(pdfFolder).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{"Memo.pdf", "Q&A 3_final.odt (2).pdf", "Q&A 3_final.odt.pdf"}));
        QVERIFY(cupsd->jobText(pdfFolder + QStringLiteral("/Q&A 3_final.odt.pdf")).contains(QStringLiteral("first")));
        QVERIFY(cupsd->jobText(pdfFolder + QStringLiteral("/Q&A 3_final.odt (2).pdf")).contains(QStringLiteral("second")));
        QVERIFY(!QFile::exists(home + QStringLiteral("/ignored.pdf")));
    }

    // A FIFO in place of the values file would block the shared queue if it were read.
    void aValuesFileThatIsNoFileBlocksNothing() {
        clearValues();
        const QString values = home + QStringLiteral("/.config/Vendrell PDF Writer/registry.ini");
        QDir().mkpath(QFileInfo(values).path());
        QVERIFY(::mkfifo(values.toUtf8().constData(), 0666) == 0);
        QVERIFY(print(PostScript(QStringLiteral("not blocked")), QStringLiteral("Fifo.odt")));
        QVERIFY(cupsd->jobText(home + QStringLiteral("/PDF/Fifo.odt.pdf")).contains(QStringLiteral("not blocked")));
        QFile::remove(values);
    }

    void onlyTheOwnersOwnJobsFromThisMachineAreWritten() {
        const QString folder = userFolder(QStringLiteral("owner"));
        const QString target = folder + QStringLiteral("/mine.pdf");
        setValues(target, QStringLiteral("1"));
        // Another local user cannot print in the user's name, and root's jobs are never written.
        QVERIFY(!print(PostScript(QStringLiteral("spoofed")), QStringLiteral("spoof"), QStringLiteral("nobody")));
        QVERIFY(!QFile::exists(target));
        QString out;
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lp"), {QStringLiteral("-d"), Queue, QStringLiteral("-")}, &out,
                                      PostScript(QStringLiteral("root's"))));
        QVERIFY(cupsd->waitUntilIdle());
        QVERIFY(!QFile::exists(target));
        // A job from another host, given to the backend as the scheduler would.
        const QString input = inputs.filePath(QStringLiteral("remote.ps"));
        QFile file(input);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(PostScript(QStringLiteral("remote")));
        file.close();
        QProcess backend;
        backend.start(Backend, {QStringLiteral("9"), user, QStringLiteral("remote"), QStringLiteral("1"),
                                QStringLiteral("job-originating-host-name=elsewhere.example.org"), input});
        QVERIFY(backend.waitForFinished(30000));
        QCOMPARE(backend.exitCode(), 5);  // CUPS_BACKEND_CANCEL
        QVERIFY(backend.readAllStandardError().contains("comes from the host elsewhere.example.org"));
        QVERIFY(!QFile::exists(target));
    }

    void aCancelledConversionEndsAndLeavesNothing() {
        const QString folder = userFolder(QStringLiteral("cancelled"));
        setValues(folder + QStringLiteral("/never.pdf"), QStringLiteral("1"));
        QString out;
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("runuser"),
                                      {QStringLiteral("-u"), user, QStringLiteral("--"), QStringLiteral("lp"),
                                       QStringLiteral("-d"), Queue, QStringLiteral("-")},
                                      &out, "%!PS\n{} loop\n"));
        QVERIFY(PrivateCupsd::waitFor([&] { return !leftovers(folder).isEmpty(); }, 30000));  // converting
        QVERIFY(runsGhostscript());
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("cancel"), {QStringLiteral("-a"), Queue}));
        QVERIFY(cupsd->waitUntilIdle());
        QVERIFY(PrivateCupsd::waitFor([&] { return leftovers(folder).isEmpty(); }, 10000));
        QVERIFY(!QFile::exists(folder + QStringLiteral("/never.pdf")));
        QVERIFY(PrivateCupsd::waitFor([&] { return !runsGhostscript(); }, 10000));  // the converter was ended
    }

    void libreOfficePrintsToIt() {
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) QSKIP("LibreOffice is not installed");
        const QString folder = userFolder(QStringLiteral("office"));
        const QString target = folder + QStringLiteral("/letter.pdf");
        setValues(target, QStringLiteral("1"));
        const QString document = folder + QStringLiteral("/letter.txt");
        QFile file(document);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Printed by LibreOffice\n");
        file.close();
        QVERIFY(chownToUser(document));
        // The user's own office, with a profile of its own in the user's home.
        QVERIFY(PrivateCupsd::runTool(
            QStringLiteral("runuser"),
            {QStringLiteral("-u"), user, QStringLiteral("--"), QStringLiteral("env"), QStringLiteral("HOME=") + home,
             QStringLiteral("timeout"), QStringLiteral("120"), QStringLiteral("soffice"), QStringLiteral("--headless"),
             QStringLiteral("--norestore"), QStringLiteral("-env:UserInstallation=file://") + home + QStringLiteral("/office-profile"),
             QStringLiteral("--pt"), Queue, document}));
        QVERIFY(cupsd->waitUntilIdle());
        QVERIFY2(cupsd->jobText(target).contains(QStringLiteral("Printed by LibreOffice")), qPrintable(cupsd->log().right(2000)));
    }

    void cleanupTestCase() { cupsd.reset(); }
};

QTEST_GUILESS_MAIN(PdfWriterTest)
#include "test_pdfwriter.moc"
