// Preparing one PDF: the file name from a document's base name, the PDF printer's registry values,
// which older files go, and the start-up check for the printer.
#include <QtTest>

#include "FakePlatform.h"
#include "printing/PDFprint.h"

namespace {
struct Prepare {
    FakePlatform fp;
    QTemporaryDir out;
    QSet<QString> keep;
    Prepare() { OutputFolder = out.path() + "/"; }
    // The file name the PDF printer is told to write, relative to the output folder.
    QString name(const QString& baseName, int ordinal = 1) {
        CreatePDF_File(fp.platform, baseName, ordinal, keep);
        return fp.registry.keys["Software\\" + PdfPrinterName]["OutputFile"].mid(out.path().size() + 1);
    }
    void touch(const QString& file) {
        QFile f(out.path() + "/" + file);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
};
}  // namespace

class PdfOutputTest : public QObject {
    Q_OBJECT

private slots:
    void fileNames_data() {
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "report" << "report.pdf";
        QTest::newRow("removed marks") << "Q&A #3 'final'" << "Q&A 3 final.pdf";
        QTest::newRow("replaced marks") << "a<b>c*d:e?f|g\\h" << "a b c d e f g h.pdf";
        QTest::newRow("line breaks, quotes") << "\"x\r\ny\"" << "xy.pdf";
        QTest::newRow("trimmed") << "  two words  " << "two words.pdf";
        QTest::newRow("nothing left") << " '#' " << "PrintOut202108311504055.pdf";
        QTest::newRow("empty") << "" << "PrintOut202108311504055.pdf";
    }
    void fileNames() {
        QFETCH(QString, baseName);
        Prepare prepare;
        QTEST(prepare.name(baseName, 5), "name");
    }

    void longNamesAreCutToOneFileName() {
        Prepare prepare;
        const QString ascii = prepare.name(QString(300, 'n'));
        QCOMPARE(ascii, QString(251, 'n') + ".pdf");
        const QString wide = prepare.name(QString(200, QChar(0x00FC)));  // two bytes each
        QCOMPARE(wide, QString(125, QChar(0x00FC)) + ".pdf");
        QVERIFY(QFile(prepare.out.path() + "/" + wide).open(QIODevice::WriteOnly));  // a name the system takes
        const QString again = prepare.name(QString(300, 'n'));
        QCOMPARE(again, QString(247, 'n') + " (2).pdf");
    }

    void folderIsJoinedWithOneSeparator() {
        Prepare prepare;
        for (const QString& folder : {prepare.out.path(), prepare.out.path() + "/"}) {
            OutputFolder = folder;
            prepare.keep.clear();
            QCOMPARE(prepare.name("r"), QStringLiteral("r.pdf"));
        }
    }

    void noFolderYetFallsBackToTheDesktop() {
        FakePlatform fp;
        QSet<QString> keep;
        OutputFolder.clear();
        CreatePDF_File(fp.platform, "r", 1, keep);
        QCOMPARE(fp.registry.keys["Software\\" + PdfPrinterName]["OutputFile"], QStringLiteral("/home/user/Desktop/r.pdf"));
    }

    void homeAndRelativeFoldersLieBelowTheHomeFolder() {
        FakePlatform fp;
        QSet<QString> keep;
        for (const auto& [folder, expected] : {std::pair{QStringLiteral("~/PDFs/"), QDir::homePath() + "/PDFs/r.pdf"},
                                               std::pair{QStringLiteral("~"), QDir::homePath() + "/r.pdf"},
                                               std::pair{QStringLiteral("PDFs"), QDir::homePath() + "/PDFs/r.pdf"}}) {
            OutputFolder = folder;
            keep.clear();
            CreatePDF_File(fp.platform, "r", 1, keep);
            QCOMPARE(fp.registry.keys["Software\\" + PdfPrinterName]["OutputFile"], expected);
        }
    }

    void aFileNameThatCouldNotBeWrittenSendsNoJobToAnOldName() {
        Prepare prepare;
        prepare.fp.registry.failValues = {"OutputFile"};
        CreatePDF_File(prepare.fp.platform, "r", 1, prepare.keep);
        QCOMPARE(prepare.fp.registry.keys["Software\\" + PdfPrinterName]["BypassSaveAs"], QStringLiteral("0"));
    }

    // The old file stays until the printer replaces it with a whole PDF; a folder that is missing is made.
    void registryValuesAndTheOldFileStays() {
        Prepare prepare;
        prepare.touch("r.pdf");
        prepare.name("r");
        const QString path = prepare.out.path() + "/r.pdf";
        QCOMPARE(prepare.fp.log, QStringList({"registry open Software\\Vendrell PDF Writer", "registry set OutputFile=" + path,
                                              "registry set BypassSaveAs=1", "registry close Software\\Vendrell PDF Writer",
                                              "changeNotify 0x8000000 0", "sleep 1000"}));
        QVERIFY(QFile::exists(path));

        OutputFolder = prepare.out.path() + "/not yet/there/";
        QCOMPARE(prepare.name("r"), QStringLiteral("not yet/there/r.pdf"));
        QVERIFY(QFileInfo(prepare.out.path() + "/not yet/there").isDir());
        QVERIFY(prepare.fp.dialogs.messages.empty());
    }

    void aFolderThatCannotBeMadeIsReported() {
        Prepare prepare;
        prepare.touch("file");
        OutputFolder = prepare.out.path() + "/file/sub/";
        prepare.name("r");
        QCOMPARE(prepare.fp.dialogs.messages.size(), size_t(1));
        QVERIFY2(prepare.fp.dialogs.messages.front().text.contains("/file/sub/\" does not exist and cannot be created"),
                 qPrintable(prepare.fp.dialogs.messages.front().text));
    }

    void aRunNeverReplacesWhatItWroteOrPrints() {
        Prepare prepare;
        prepare.touch("a.pdf");  // from an earlier run: replaced
        QCOMPARE(prepare.name("a"), QStringLiteral("a.pdf"));
        prepare.touch("a.pdf");  // this run's PDF
        prepare.keep.insert(prepare.out.path() + "/b.pdf");  // a listed document
        prepare.touch("b.pdf");
        QCOMPARE(prepare.name("a"), QStringLiteral("a (2).pdf"));
        QCOMPARE(prepare.name("a"), QStringLiteral("a (3).pdf"));
        QCOMPARE(prepare.name("b"), QStringLiteral("b (2).pdf"));
        QVERIFY(QFile::exists(prepare.out.path() + "/a.pdf"));
        QVERIFY(QFile::exists(prepare.out.path() + "/b.pdf"));
    }

    void pdfPrinterCheck() {
        FakePlatform fp;
        fp.printers.installed = {"Laser", "vendrell pdf writer"};
        CheckPdfPrinter(fp.platform);
        QCOMPARE(fp.dialogs.texts(),
                 QStringList{"Vendrell PDF Writer is not installed. Please follow these instructions:\r\n\r\n"
                             "1) Go to Control Panel -> Printers and Faxes to add a local printer.\r\n"
                             "2) Choose ''CPW2: (Vendrell PDF Writer)'' on Select a Printer Port dialog box, click Next.\r\n"
                             "3) Choose a Postscript printer (e.g. HP Color LaserJet PS), click Next.\r\n"
                             "4) Enter Vendrell PDF Writer as Printer name, click Next -> Finish."});
        QCOMPARE(fp.dialogs.messages[0].caption, QStringLiteral("Quorvane"));
        fp.printers.installed << PdfPrinterName;
        CheckPdfPrinter(fp.platform);
        QCOMPARE(fp.dialogs.messages.size(), size_t(1));
    }
};

QTEST_GUILESS_MAIN(PdfOutputTest)
#include "test_pdf_output.moc"
