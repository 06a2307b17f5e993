// Documents nobody here wrote, made by the test to reach outside themselves: against a loopback HTTP
// server and a secret folder of the test's own, through every front end (the window's run, the
// command's PDFs and its printing). No request may reach the server, no secret the output, no macro
// may run; each document still prints with what it holds, and the command names what it refused.
#include <QtTest>
#include <optional>

#include "BatchCommand.h"
#include "HostileDocuments.h"
#include "LoopbackServer.h"
#include "PrintWindow.h"

namespace {
// The sizes of the pictures in a PDF, as "WxH".
QStringList pictureSizes(const QString& pdf) {
    QStringList sizes;
    const QStringList lines = PrivateCupsd::outputOf(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split(QLatin1Char('\n'));
    for (const QString& line : lines.mid(2)) {
        const QStringList f = line.simplified().split(QLatin1Char(' '));
        if (f.size() > 4) sizes << f[3] + QLatin1Char('x') + f[4];
    }
    return sizes;
}
QString sizeText(QSize s) { return QStringLiteral("%1x%2").arg(s.width()).arg(s.height()); }

bool pythonScriptsInstalled() {
    return PrivateCupsd::runTool(QStringLiteral("dpkg"), {QStringLiteral("-s"), QStringLiteral("libreoffice-script-provider-python")});
}

// One hostile document and what its report must name as refused (kind, and target where it is fixed).
struct Case {
    QString path;
    QString kind;
    QString target;
};
}  // namespace

class HostileDocumentsTest : public QObject, PrivatePrinting {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<LoopbackServer> server;
    hostile::Secrets secrets;
    QString control;
    QList<Case> cases;
    int requestsBefore = 0;  // those of the bare office, which proves the documents hostile

    QString shared(const QString& name) const { return dir.filePath(QStringLiteral("shared/deep/") + name); }
    QString marker(const QString& name) const { return dir.filePath(QStringLiteral("markers/") + name); }

    void makeDocuments() {
        QDir().mkpath(shared(QString()));
        QDir().mkpath(marker(QString()));
        secrets = hostile::writeSecrets(dir.filePath(QStringLiteral("secret")));
        const QString http = server->url(QStringLiteral("x.png"));
        const QString secretUrl = hostile::fileUrl(secrets.picture);
        control = shared(QStringLiteral("control.odt"));
        QVERIFY(hostile::embeddedPicture(control));
        const auto add = [&](const QString& name, bool made, const QString& kind, const QString& target = {}) {
            QVERIFY2(made, qPrintable(name));
            cases.append({shared(name), kind, target});
        };
        add(QStringLiteral("http-picture.odt"), hostile::linkedPicture(shared(QStringLiteral("http-picture.odt")), http),
            QStringLiteral("picture"), http);
        add(QStringLiteral("file-picture.odt"), hostile::linkedPicture(shared(QStringLiteral("file-picture.odt")), secretUrl),
            QStringLiteral("picture"), secretUrl);
        add(QStringLiteral("relative-picture.odt"),
            hostile::linkedPicture(shared(QStringLiteral("relative-picture.odt")), QStringLiteral("../../secret/secret.png")),
            QStringLiteral("picture"), QStringLiteral("../../secret/secret.png"));
        add(QStringLiteral("style-background.odt"),
            hostile::backgroundPicture(shared(QStringLiteral("style-background.odt")), http, hostile::Background::Image),
            QStringLiteral("picture"), http);
        add(QStringLiteral("xforms.odt"), hostile::xformsInstance(shared(QStringLiteral("xforms.odt")), server->url(QStringLiteral("instance.xml"))),
            QStringLiteral("xforms"), server->url(QStringLiteral("instance.xml")));
        add(QStringLiteral("flat.fodt"), hostile::flatLinkedPicture(shared(QStringLiteral("flat.fodt")), http), QStringLiteral("picture"), http);
        add(QStringLiteral("external.docx"), hostile::docxExternalPicture(shared(QStringLiteral("external.docx")), http),
            QStringLiteral("picture"), http);
        add(QStringLiteral("section.odt"), hostile::linkedSection(shared(QStringLiteral("section.odt")), hostile::fileUrl(secrets.text)),
            QStringLiteral("section"), hostile::fileUrl(secrets.text));
        add(QStringLiteral("http-section.odt"), hostile::linkedSection(shared(QStringLiteral("http-section.odt")), server->url(QStringLiteral("s.txt"))),
            QStringLiteral("section"), server->url(QStringLiteral("s.txt")));
        add(QStringLiteral("ole-link.odt"), hostile::oleLink(shared(QStringLiteral("ole-link.odt")), hostile::fileUrl(secrets.document)),
            QStringLiteral("object"), hostile::fileUrl(secrets.document));
        add(QStringLiteral("dde.odt"), hostile::ddeField(shared(QStringLiteral("dde.odt")), secrets.document, QStringLiteral("Secret")),
            QStringLiteral("dde"));
        add(QStringLiteral("basic-macro.odt"), hostile::basicMacro(shared(QStringLiteral("basic-macro.odt")), marker(QStringLiteral("basic"))),
            QStringLiteral("macro"));
        if (pythonScriptsInstalled())
            add(QStringLiteral("python-macro.odt"), hostile::pythonMacro(shared(QStringLiteral("python-macro.odt")), marker(QStringLiteral("python"))),
                QStringLiteral("macro"));
    }

    QStringList allDocuments() const {
        QStringList paths{control};
        for (const Case& c : cases) paths << c.path;
        return paths;
    }

    // Nothing reached the server, no macro ran, and no output holds a secret; the control's picture is
    // in its own output. outputs: one file per document of allDocuments(), in that order.
    void expectNothingLeaked(const QStringList& outputs) {
        QCOMPARE(server->requests().size(), requestsBefore);
        QCOMPARE(QDir(marker(QString())).entryList(QDir::Files), QStringList());
        QCOMPARE(outputs.size(), allDocuments().size());
        for (const QString& output : outputs) {
            const QStringList sizes = pictureSizes(output);
            QVERIFY2(!sizes.contains(sizeText(hostile::ServedSize)) && !sizes.contains(sizeText(hostile::SecretSize)),
                     qPrintable(output + QStringLiteral(": ") + sizes.join(QLatin1Char(' '))));
            QVERIFY2(!cups->jobText(output).contains(QString::fromLatin1(hostile::SecretText)), qPrintable(output));
        }
        QVERIFY2(pictureSizes(outputs.first()).contains(sizeText(hostile::ControlSize)), qPrintable(outputs.first()));
    }

    // Every document printed, each hostile one with what it refused in its report.
    void expectRefusalsReported(const BatchCommand& r, const QString& outcome) {
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        QCOMPARE(r.documents.size(), allDocuments().size());
        QVERIFY(!r.document(0).contains(QStringLiteral("refused")));
        for (int i = 0; i < cases.size(); ++i) {
            const QJsonObject d = r.document(i + 1);
            QCOMPARE(d["outcome"].toString(), outcome);
            bool named = false;
            for (const auto& refused : d["refused"].toArray()) {
                const QJsonObject o = refused.toObject();
                named |= o["kind"].toString() == cases[i].kind &&
                         (cases[i].target.isEmpty() || o["target"].toString() == cases[i].target);
            }
            QVERIFY2(named, qPrintable(cases[i].path + QStringLiteral(": ") + QJsonDocument(d).toJson()));
            QVERIFY2(r.out.contains(QStringLiteral("warning: ") + cases[i].path), qPrintable(r.out));
        }
    }

    QString tmp() const { return dir.filePath(QStringLiteral("tmp")); }
    BatchCommand batch(const QStringList& args) { return BatchCommand::run(args + allDocuments(), dir.path(), tmp()); }

private slots:
    void initTestCase() {
        if (const QString why = start(); !why.isEmpty()) QSKIP(qPrintable(why));
        QVERIFY(cups->started());
        server = std::make_unique<LoopbackServer>(hostile::servedPicture());
        QVERIFY(server->listening());
        qputenv("QUORVANE_OFFICE_TIMEOUT", "20");
        makeDocuments();
    }

    // The documents are hostile indeed: an office left to its defaults fetches from the server and
    // copies the secret picture into its PDF.
    void aBareOfficeFallsForThem() {
        const QString out = dir.filePath(QStringLiteral("bare"));
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("soffice"),
                                      {QStringLiteral("-env:UserInstallation=") + hostile::fileUrl(dir.filePath(QStringLiteral("bare-profile"))),
                                       QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                                       QStringLiteral("pdf"), QStringLiteral("--outdir"), out, shared(QStringLiteral("http-picture.odt")),
                                       shared(QStringLiteral("file-picture.odt"))}));
        QVERIFY(!server->requests().isEmpty());
        QVERIFY(pictureSizes(out + QStringLiteral("/http-picture.pdf")).contains(sizeText(hostile::ServedSize)));
        QVERIFY(pictureSizes(out + QStringLiteral("/file-picture.pdf")).contains(sizeText(hostile::SecretSize)));
        requestsBefore = int(server->requests().size());
    }

    void thePdfsOfTheCommandHoldNothingFromOutside() {
        const QString out = dir.filePath(QStringLiteral("pdf"));
        const BatchCommand r = batch({QStringLiteral("--pdf"), out});
        expectRefusalsReported(r, QStringLiteral("written"));
        QStringList pdfs;
        for (const auto& d : r.documents) pdfs << d.toObject()["pdf"].toString();
        expectNothingLeaked(pdfs);
        QCOMPARE(QDir(tmp()).entryList({QStringLiteral("quorvane-*")}, QDir::Dirs | QDir::Hidden), QStringList());
    }

    void theJobsOfTheCommandHoldNothingFromOutside() {
        const int before = int(cups->keptJobs(QStringLiteral("Alpha")).size());
        const BatchCommand r = batch({QStringLiteral("--printer"), QStringLiteral("Alpha")});
        expectRefusalsReported(r, QStringLiteral("printed"));
        expectNothingLeaked(cups->waitForJobs(QStringLiteral("Alpha"), before + int(allDocuments().size()), 60000).mid(before));
    }

    void theWindowsRunHoldsNothingFromOutside() {
        const int before = int(cups->keptJobs(QStringLiteral("Beta")).size());
        PrintWindow w;
        QCOMPARE(w.print(allDocuments(), QStringLiteral("Beta")), QStringList{QStringLiteral("Done.")});
        expectNothingLeaked(cups->waitForJobs(QStringLiteral("Beta"), before + int(allDocuments().size()), 60000).mid(before));
    }

    // A check loads each document in the same sandbox and prints nothing.
    void aCheckDescribesDocumentsWithoutPrinting() {
        const QString fonts = shared(QStringLiteral("fonts.odt"));
        hostile::Document d{QStringLiteral("fonts")};
        d.styles = "<style:font-face style:name=\"Liberation Serif\" svg:font-family=\"'Liberation Serif'\"/>"
                      "<style:font-face style:name=\"Nowhere Grotesk\" svg:font-family=\"'Nowhere Grotesk'\"/>";
        QVERIFY(hostile::writeOdt(fonts, d));
        const int jobs = int(cups->keptJobs(QStringLiteral("Alpha")).size());
        const BatchCommand r = BatchCommand::run({QStringLiteral("--check"), fonts, shared(QStringLiteral("http-picture.odt")),
                                                  shared(QStringLiteral("basic-macro.odt"))},
                                                 dir.path(), tmp());
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        QCOMPARE(r.outcomes(), QStringLiteral("checked checked checked"));
        QCOMPARE(r.document(0)["pages"].toInt(), 1);
        QCOMPARE(r.document(0)["passwordProtected"].toBool(), false);
        QCOMPARE(r.document(0)["missingFonts"].toArray(), QJsonArray{QStringLiteral("Nowhere Grotesk")});
        QCOMPARE(r.document(1)["outside"].toArray().first().toObject()["target"].toString(), server->url(QStringLiteral("x.png")));
        QCOMPARE(r.document(2)["outside"].toArray().first().toObject()["kind"].toString(), QStringLiteral("macro"));
        QVERIFY(r.out.contains(QStringLiteral("missing fonts: Nowhere Grotesk")));
        QCOMPARE(server->requests().size(), requestsBefore);
        QCOMPARE(int(cups->keptJobs(QStringLiteral("Alpha")).size()), jobs);
    }

    // A lock file naming this user and host beside a document (the user has it open, or an office was
    // killed) once failed the document with "The office loaded nothing": anyone who could write to a
    // shared folder could stop a document that way. With and without the sandbox it prints.
    void aLockFileBesideADocumentStopsNothing() {
        const QString locked = shared(QStringLiteral("locked.odt"));
        QVERIFY(hostile::embeddedPicture(locked));
        const QString lock = shared(QStringLiteral(".~lock.locked.odt#"));
        QVERIFY(hostile::writeFile(lock, QStringLiteral(",%1,%2,10.12.2026 12:00,file:///tmp/x;\n")
                                             .arg(qEnvironmentVariable("USER", QStringLiteral("root")), QSysInfo::machineHostName())
                                             .toUtf8()));
        for (const QStringList& extra : {QStringList(), QStringList{QStringLiteral("--unsandboxed")}}) {
            const BatchCommand r = BatchCommand::run(extra + QStringList{QStringLiteral("--pdf"), dir.filePath(QStringLiteral("locked")), locked},
                                                     dir.path(), tmp());
            QVERIFY2(r.status == 0 && r.outcomes() == QStringLiteral("written"), qPrintable(r.out + r.err));
        }
        QVERIFY(QFile::exists(lock));  // not the program's to remove
    }
};

QTEST_MAIN(HostileDocumentsTest)
#include "test_hostile_documents.moc"
