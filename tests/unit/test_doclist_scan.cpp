// Adding a folder: the extension prompt and the folder browser with their settings, the
// breadth-first scan on real trees, the files it leaves out, folders it cannot list, links that
// lead back up, and the busy mark while it runs. Dropped folders share the scan.
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FakePlatform.h"
#include "app/AppTitle.h"
#include "app/Form1.h"
#include "doclist/AddFolder.h"

namespace {
struct Tree {
    QTemporaryDir dir;
    QString path(const QString& relative = {}) const {
        return relative.isEmpty() ? dir.path() : dir.path() + QLatin1Char('/') + relative;
    }
    void files(const QStringList& relatives) const {
        for (const QString& relative : relatives) {
            QDir().mkpath(QFileInfo(path(relative)).path());
            QFile f(path(relative));
            if (!f.open(QIODevice::WriteOnly)) qFatal("cannot create %s", qPrintable(relative));
        }
    }
    void link(const QString& relative, const QString& target) const { QFile::link(path(target), path(relative)); }
};

QString withoutTrailingSeparators(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    return path;
}

// The real file system with the failures and attribute values a test asks for; optionally seen
// from a folder that stands in for "/".
class TestFiles : public FileSystem {
public:
    QString root;
    QMap<QString, int> listingFails;     // real folder -> error number of its subfolder listing
    QMap<QString, quint32> attributeOf;  // real path -> attribute value
    QSet<QString> attributesFail;        // real paths

    std::optional<QDateTime> lastModified(const QString& p) override { return real_.lastModified(mapped(p)); }
    bool isOpenableFile(const QString& p) override { return real_.isOpenableFile(mapped(p)); }
    std::optional<quint32> attributes(const QString& p) override {
        const QString key = withoutTrailingSeparators(mapped(p));
        if (attributesFail.contains(key)) throw Err::fileNotFound();
        if (attributeOf.contains(key)) return attributeOf[key];
        return real_.attributes(mapped(p));
    }
    QStringList matchFiles(const QString& f, const QString& pattern) override { return real_.matchFiles(mapped(f), pattern); }
    QStringList subFolders(const QString& f) override {
        const QString key = withoutTrailingSeparators(mapped(f));
        if (listingFails.contains(key)) throw RuntimeError(listingFails[key], QStringLiteral("cannot list"));
        return real_.subFolders(mapped(f));
    }
    bool isRootFolder(const QString& p) override {
        return root.isEmpty() ? real_.isRootFolder(p) : !p.isEmpty() && p.count(QLatin1Char('/')) == p.size();
    }
    QString folderIdentity(const QString& p) override { return real_.folderIdentity(mapped(p)); }
    bool entryExists(const QString& p) override { return real_.entryExists(mapped(p)); }
    bool removeFile(const QString& p) override { return real_.removeFile(mapped(p)); }

private:
    QString mapped(const QString& p) const {
        if (root.isEmpty() || !p.startsWith(QLatin1Char('/'))) return p;
        qsizetype lead = 0;
        while (lead < p.size() && p[lead] == QLatin1Char('/')) ++lead;
        return root + QLatin1Char('/') + p.mid(lead);
    }
    LinuxFileSystem real_;
};

QStringList entries(const ListView* list) {
    QStringList texts;
    for (int i = 1; i <= list->count(); ++i) texts << list->entryText(i);
    return texts;
}

struct Window {
    TestFiles files;
    FakePlatform fp{QStringLiteral("/nonexistent/quorvane"), &files};
    Form1 form{fp.platform};

    // A click on "Add All Writer Files In Folder" answered with an extension and a folder.
    QStringList addFolder(const QString& extension, const QString& folder) {
        fp.dialogs.inputAnswers = {extension};
        fp.dialogs.browseAnswers = {folder};
        form.PushButton4_Click();
        return entries(form.ListView1);
    }
    QStringList scan(const QString& folder) {
        QStringList folders{folder + QLatin1Char('/')};
        GetSubDirectories2016(fp.platform, folders, true);
        return folders;
    }
    void drop(const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        form.ListView1_OLEDragDrop(&event);
    }
};

QStringList under(const Tree& t, const QStringList& relatives) {
    QStringList paths;
    for (const QString& r : relatives) paths << t.path(r);
    return paths;
}
}  // namespace

class DoclistScanTest : public QObject {
    Q_OBJECT

private slots:
    void levelByLevelAcrossThreeLevels() {
        Tree t;
        t.files({"r.odt", "B/b.odt", "A/a.odt", "A/A2/a2.odt", "A/A1/a1.odt", "B/B1/b1.odt", "A/A1/X/x.odt"});
        Window w;
        QCOMPARE(w.scan(t.path()), QStringList{t.path() + '/'} + under(t, {"A/", "B/", "A/A1/", "A/A2/", "B/B1/", "A/A1/X/"}));
        QCOMPARE(w.addFolder("odt", t.path()),
                 under(t, {"r.odt", "A/a.odt", "B/b.odt", "A/A1/a1.odt", "A/A2/a2.odt", "B/B1/b1.odt", "A/A1/X/x.odt"}));
        QVERIFY(w.fp.dialogs.messages.empty());
    }

    void theExtensionIsMatchedWithoutCase() {
        Tree t;
        t.files({"a.odt", "b.ODT", "c.txt", "notes"});
        Window w;
        QCOMPARE(w.addFolder("odt", t.path()), under(t, {"a.odt", "b.ODT"}));
        w.form.ListView1->clear();
        QCOMPARE(w.addFolder("*", t.path()), under(t, {"a.odt", "b.ODT", "c.txt", "notes"}));
    }

    void lockFilesAndHiddenFilesStayOut() {
        Tree t;
        t.files({"~lock.odt", "~$report.odt", ".~lock.a.odt#", ".hidden.odt", ".kept.odt", "a.odt", "x~.odt",
                 ".dir/in-hidden-folder.odt"});
        ::chmod(QFile::encodeName(t.path(".kept.odt")).constData(), 0444);  // hidden + read-only: 35
        Window w;
        QCOMPARE(w.addFolder("*", t.path()), under(t, {".kept.odt", "a.odt", "x~.odt", ".dir/in-hidden-folder.odt"}));
    }

    void settingsPromptAndBrowser() {
        Tree t;
        t.files({"a.odt", "a.txt"});
        Window w;
        w.addFolder("txt", t.path());
        QCOMPARE(w.fp.dialogs.inputs.size(), size_t(1));
        QCOMPARE(w.fp.dialogs.inputs[0].prompt,
                 QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for "
                                "all doc files, etc.)"));
        QCOMPARE(w.fp.dialogs.inputs[0].title, AppTitle());
        QCOMPARE(w.fp.dialogs.inputs[0].preset, QStringLiteral("odt"));
        QCOMPARE(w.fp.dialogs.browses[0].title, QStringLiteral("Please select folder:"));
        QCOMPARE(w.fp.dialogs.browses[0].initial, QString());
        QCOMPARE(w.fp.settings.get("Extension"), QStringLiteral("txt"));
        QCOMPARE(w.fp.settings.get("LastFolder"), t.path());

        w.addFolder("odt", {});  // Cancel in the browser: the extension is kept, the folder is not
        QCOMPARE(w.fp.dialogs.inputs[1].preset, QStringLiteral("txt"));
        QCOMPARE(w.fp.dialogs.browses[1].initial, t.path());
        QCOMPARE(w.fp.settings.get("Extension"), QStringLiteral("odt"));
        QCOMPARE(w.fp.settings.get("LastFolder"), t.path());

        w.addFolder({}, t.path());  // Cancel (or an empty answer) in the prompt: nothing at all
        QCOMPARE(w.fp.dialogs.browses.size(), size_t(2));
        QCOMPARE(w.fp.settings.get("Extension"), QStringLiteral("odt"));
        QCOMPARE(w.form.ListView1->count(), 1);
        QCOMPARE(w.form.MousePointer.mode(), int(vbDefault));
    }

    void theWindowIsBusyWhileTheScanRuns() {
        Tree t;
        t.files({"a.odt", "A/b.odt", "B/c.odt"});
        Window w;
        AppendEntry(w.form.ListView1, QStringLiteral("/kept.odt"));
        QList<int> modes;
        w.fp.runtime.onPump = [&] {
            modes << w.form.MousePointer.mode();
            w.form.PushButton6_Click();  // Clear List is held back
        };
        QCOMPARE(w.addFolder("odt", t.path()).size(), 4);
        QVERIFY(modes.size() >= 5);  // at every folder and subfolder
        QVERIFY(std::all_of(modes.begin(), modes.end(), [](int m) { return m == vbHourglass; }));
        QCOMPARE(w.form.MousePointer.mode(), int(vbDefault));
    }

    void foldersThatCannotBeListedLeaveWithTheirTrees() {
        Tree t;
        t.files({"r.odt", "A/a.odt", "A/deep/d.odt", "B/b.odt", "B/deep/e.odt", "C/c.odt", "D/x.odt", "D/deep/y.odt"});
        Window w;
        w.files.listingFails = {{t.path("A"), 70}, {t.path("C"), 76}, {t.path("D"), 75}};
        QCOMPARE(w.scan(t.path()), QStringList({t.path() + '/', t.path("B/"), t.path("D/"), t.path("B/deep/")}));
        // Only folders refused as unreadable or missing leave; another failure keeps the folder.
        QCOMPARE(w.addFolder("odt", t.path()), under(t, {"r.odt", "B/b.odt", "D/x.odt", "B/deep/e.odt"}));
        QVERIFY(w.fp.dialogs.messages.empty());
    }

    void aChosenFolderThatCannotBeListedAddsNothing() {
        Tree t;
        t.files({"r.odt", "A/a.odt"});
        Window w;
        w.files.listingFails = {{t.path(), 70}};
        QCOMPARE(w.addFolder("odt", t.path()), QStringList());
        QVERIFY(w.fp.dialogs.messages.empty());
    }

    void hiddenAndSystemFoldersAreNotEntered() {
        Tree t;
        t.files({"r.odt", "A/a.odt", "A/below/b.odt", "L/l.odt", "N/n.odt"});
        Window w;
        w.files.attributeOf = {{t.path("A"), 22}, {t.path("L"), 1046}, {t.path("N"), 18}};
        QCOMPARE(w.addFolder("odt", t.path()), under(t, {"r.odt", "N/n.odt"}));
        // The chosen folder is always entered itself; the rule only stops the descent below it.
        w.form.ListView1->clear();
        QCOMPARE(w.addFolder("odt", t.path("A")), under(t, {"A/a.odt"}));
        w.form.ListView1->clear();
        w.drop({t.path()});
        QCOMPARE(entries(w.form.ListView1), under(t, {"r.odt", "N/n.odt"}));
    }

    void linksBackUpAreNotFollowed() {
        Tree t;
        t.files({"r.odt", "A/a.odt", "A/B/b.odt", "S/s.odt"});
        t.link("A/B/up", "A");
        t.link("A/B/top", "");
        t.link("A/self", "A");
        t.link("A/side", "S");  // not above A: followed, so S's files come twice
        Window w;
        QCOMPARE(w.addFolder("odt", t.path()),
                 under(t, {"r.odt", "A/a.odt", "S/s.odt", "A/B/b.odt", "A/side/s.odt"}));
        QVERIFY(w.fp.dialogs.messages.empty());
    }

    void namesThatCannotBeFollowedAndOnesThatCan() {
        Tree t;
        t.files({"what?/a.odt", "日本語 – ‘x’/b.odt", "tab\there/c.odt", "nel\u0085/d.odt"});
        const QByteArray latin1 = QFile::encodeName(t.path()) + "/caf\xe9";
        ::mkdir(latin1.constData(), 0755);
        ::close(::open((latin1 + "/e.odt").constData(), O_CREAT | O_WRONLY, 0644));
        Window w;
        QCOMPARE(w.addFolder("odt", t.path()), under(t, {"what?/a.odt", "日本語 – ‘x’/b.odt"}));
    }

    void deepPathsBeyondTheOldLimitAreScanned() {
        Tree t;
        QString deep;
        for (int level = 0; level < 8; ++level) deep += QString(60, QChar(u'é' + level)) + QLatin1Char('/');
        t.files({deep + "deep.odt"});
        QVERIFY(t.path(deep).toUtf8().size() > 900);
        Window w;
        QCOMPARE(w.addFolder("odt", t.path()), under(t, {deep + "deep.odt"}));
    }

    void theRootGivesSingleSeparators() {
        Tree t;
        t.files({"r.odt", "docs/d.odt", "docs/more/m.odt"});
        Window w;
        w.files.root = t.path();
        QCOMPARE(w.scan(QStringLiteral("/")), (QStringList{"//", "//docs/", "//docs/more/"}));
        QCOMPARE(w.addFolder("odt", QStringLiteral("/")), (QStringList{"/r.odt", "/docs/d.odt", "/docs/more/m.odt"}));
    }

    void aFailureOfTheDropIsReportedAndTheDropGoesOn() {
        Tree t;
        t.files({"a.odt", "F/f.odt"});
        Window w;
        w.files.attributesFail = {t.path("a.odt")};
        w.drop({t.path("a.odt"), t.path("F"), t.path("gone.odt")});
        QCOMPARE(entries(w.form.ListView1), under(t, {"a.odt", "F/f.odt", "gone.odt"}));
        QCOMPARE(w.fp.dialogs.messages.size(), size_t(1));
        QVERIFY(w.fp.dialogs.messages[0].text.contains(
            QStringLiteral("in Lumbrel2021/08/31.Form1.ListView1_OLEDragDrop at line 100\r\r")));
    }

    void aFailureInsideTheScanNamesTheScan() {
        Tree t;
        t.files({"A/a.odt", "B/b.odt"});
        Window w;
        w.files.attributesFail = {t.path("A")};
        const QStringList found = w.scan(t.path());
        QVERIFY(found.contains(t.path("B/")));
        QVERIFY(!w.fp.dialogs.messages.empty());
        QVERIFY(w.fp.dialogs.messages[0].text.contains(
            QStringLiteral("in Mosswick2021/08/31.AddFolder.GetSubDirectories2016 at line ")));
    }
};

QTEST_MAIN(DoclistScanTest)
#include "test_doclist_scan.moc"
