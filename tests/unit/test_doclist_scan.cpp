// Adding a folder on real trees: the breadth-first scan, the files it leaves out, folders it
// cannot list, links that lead back up, the settings and the busy mark. Dropped folders share it.
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FakePlatform.h"
#include "app/Form1.h"
#include "doclist/AddFolder.h"

namespace {
struct Tree {
    QTemporaryDir dir;
    QString path(const QString& relative = {}) const { return dir.path() + QLatin1Char('/') + relative; }
    QStringList paths(const QStringList& relatives) const {
        QStringList out;
        for (const QString& r : relatives) out << path(r);
        return out;
    }
    void files(const QStringList& relatives) const {
        for (const QString& r : relatives) {
            QDir().mkpath(QFileInfo(path(r)).path());
            QFile(path(r)).open(QIODevice::WriteOnly);
        }
    }
    void link(const QString& relative, const QString& target) const { QFile::link(path(target), path(relative)); }
};

QString bare(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    return path;
}

// The real file system with the failures and attribute values a test asks for (keyed by real
// paths without trailing separator, also for the folders a listing finds); optionally seen from
// a folder that stands in for "/".
class TestFiles : public LinuxFileSystem {
public:
    QString root;
    QMap<QString, int> listingFails;
    QMap<QString, quint32> attributeOf;
    QSet<QString> attributesFail;

    std::optional<quint32> attributes(const QString& p) override {
        if (attributesFail.contains(bare(mapped(p)))) throw Err::fileNotFound();
        return attributeOf.contains(bare(mapped(p))) ? attributeOf[bare(mapped(p))] : LinuxFileSystem::attributes(mapped(p));
    }
    FolderListing listFolder(const QString& f, const QString& pattern) override {
        if (listingFails.contains(bare(mapped(f)))) throw RuntimeError(listingFails[bare(mapped(f))], "cannot list");
        FolderListing listing = LinuxFileSystem::listFolder(mapped(f), pattern);
        for (auto& sub : listing.folders)
            sub.attributes = attributeOf.value(bare(mapped(f)) + QLatin1Char('/') + sub.name, sub.attributes);
        return listing;
    }
    QList<FolderId> folderAndAncestors(const QString& p) override { return LinuxFileSystem::folderAndAncestors(mapped(p)); }
    bool isOpenableFile(const QString& p) override { return LinuxFileSystem::isOpenableFile(mapped(p)); }

private:
    QString mapped(const QString& p) const {
        return root.isEmpty() ? p : root + QLatin1Char('/') + p.mid(p.indexOf(QRegularExpression("[^/]|$")));
    }
};

struct Window {
    TestFiles files;
    FakePlatform fp{QStringLiteral("/nonexistent"), &files};
    Form1 form{fp.platform};

    QStringList entries() const {
        QStringList texts;
        for (int i = 1; i <= form.ListView1->count(); ++i) texts << form.ListView1->entryText(i);
        return texts;
    }
    // A click on "Add All Writer Files In Folder", answered with an extension and a folder.
    QStringList addFolder(const QString& extension, const QString& folder) {
        form.ListView1->clear();
        fp.dialogs.inputAnswers = {extension};
        fp.dialogs.browseAnswers = {folder};
        form.PushButton4_Click();
        return entries();
    }
    // The same click, given up after `seconds`.
    QStringList addFolderWithin(int seconds, const QString& extension, const QString& folder) {
        QElapsedTimer clock;
        clock.start();
        fp.runtime.onPump = [&] {
            if (clock.elapsed() > seconds * 1000) throw ProgramEnded{};
        };
        QStringList added{QStringLiteral("(still scanning after %1 s)").arg(seconds)};
        try {
            added = addFolder(extension, folder);
        } catch (const ProgramEnded&) {
        }
        fp.runtime.onPump = {};
        return added;
    }
    QStringList scan(const QString& folder) {
        return GetSubDirectories2016(fp.platform, {folder + QLatin1Char('/')}, QStringLiteral("*.*")).folders();
    }
    QStringList drop(const QStringList& paths) {
        form.ListView1->clear();
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        form.ListView1_OLEDragDrop(&event);
        return entries();
    }
};
}  // namespace

class DoclistScanTest : public QObject {
    Q_OBJECT

private slots:
    void levelByLevelAndTheExtension() {
        Tree t;
        t.files({"r.odt", "c.txt", "B/b.ODT", "A/a.odt", "A/A2/a2.odt", "A/A1/a1.odt", "B/B1/b1.odt", "A/A1/X/x.odt"});
        Window w;
        QCOMPARE(w.scan(bare(t.path())), t.paths({"", "A/", "B/", "A/A1/", "A/A2/", "B/B1/", "A/A1/X/"}));
        QCOMPARE(w.addFolder("odt", bare(t.path())),
                 t.paths({"r.odt", "A/a.odt", "B/b.ODT", "A/A1/a1.odt", "A/A2/a2.odt", "B/B1/b1.odt", "A/A1/X/x.odt"}));
        QCOMPARE(w.addFolder("*", t.path("A/A1")), t.paths({"A/A1/a1.odt", "A/A1/X/x.odt"}));
        QCOMPARE(w.addFolder("TXT", bare(t.path())), t.paths({"c.txt"}));
        QVERIFY(w.fp.dialogs.messages.empty());
    }

    void lockFilesAndHiddenFilesStayOut() {
        Tree t;
        t.files({"~lock.odt", ".~lock.a.odt#", ".hidden.odt", ".kept.odt", "a.odt", "x~.odt", ".dir/in-hidden.odt"});
        ::chmod(QFile::encodeName(t.path(".kept.odt")).constData(), 0444);  // hidden and read-only: 35
        Window w;
        QCOMPARE(w.addFolder("*", bare(t.path())), t.paths({".kept.odt", "a.odt", "x~.odt", ".dir/in-hidden.odt"}));
    }

    void settingsAndCancels() {
        Tree t;
        t.files({"a.txt"});
        Window w;
        QCOMPARE(w.addFolder("txt", bare(t.path())).size(), 1);
        QCOMPARE(w.fp.dialogs.inputs[0].preset, QStringLiteral("odt"));
        QCOMPARE(w.fp.dialogs.browses[0].initial, QString());
        w.addFolder("odt", {});  // Cancel in the browser: the extension is kept, the folder is not
        QCOMPARE(w.fp.dialogs.inputs[1].preset, QStringLiteral("txt"));
        QCOMPARE(w.fp.dialogs.browses[1].initial, bare(t.path()));
        QCOMPARE(w.fp.settings.get("Extension"), QStringLiteral("odt"));
        w.addFolder({}, bare(t.path()));  // Cancel or an empty answer in the prompt: nothing at all
        QCOMPARE(w.fp.dialogs.browses.size(), size_t(2));
        QCOMPARE(w.fp.settings.get("Extension"), QStringLiteral("odt"));
        QCOMPARE(w.fp.settings.get("LastFolder"), bare(t.path()));
    }

    void theWindowIsBusyWhileTheScanPumps() {
        Tree t;
        t.files({"a.odt", "A/b.odt", "B/c.odt"});
        Window w;
        AppendEntry(w.form.ListView1, QStringLiteral("/kept.odt"));
        QList<int> modes;
        w.fp.runtime.onPump = [&] {
            modes << w.form.MousePointer.mode();
            w.form.PushButton6_Click();  // Clear List is held back
        };
        w.fp.dialogs.inputAnswers = {"odt"};
        w.fp.dialogs.browseAnswers = {bare(t.path())};
        w.form.PushButton4_Click();
        QCOMPARE(w.form.ListView1->count(), 4);
        QVERIFY(modes.size() >= 5 && modes.count(vbHourglass) == modes.size());  // at every folder and subfolder
        QCOMPARE(w.form.MousePointer.mode(), int(vbDefault));
    }

    void foldersThatCannotBeListedLeaveWithTheirTrees() {
        Tree t;
        t.files({"r.odt", "A/a.odt", "A/deep/d.odt", "B/b.odt", "B/deep/e.odt", "C/c.odt", "D/x.odt", "D/deep/y.odt"});
        Window w;
        w.files.listingFails = {{t.path("A"), 70}, {t.path("C"), 76}, {t.path("D"), 75}};
        // Only folders refused as unreadable or missing leave; another failure keeps the folder,
        // which then has nothing to give.
        QCOMPARE(w.addFolder("odt", bare(t.path())), t.paths({"r.odt", "B/b.odt", "B/deep/e.odt"}));
        QCOMPARE(w.scan(bare(t.path())), t.paths({"", "B/", "D/", "B/deep/"}));
        w.files.listingFails = {{bare(t.path()), 70}};
        QCOMPARE(w.addFolder("odt", bare(t.path())), QStringList());
        QVERIFY(w.fp.dialogs.messages.empty());
    }

    void hiddenAndSystemFoldersAreNotEntered() {
        Tree t;
        t.files({"r.odt", "A/a.odt", "A/below/b.odt", "L/l.odt", "N/n.odt"});
        Window w;
        w.files.attributeOf = {{t.path("A"), 22}, {t.path("L"), 1046}, {t.path("N"), 18}};
        QCOMPARE(w.addFolder("odt", bare(t.path())), t.paths({"r.odt", "N/n.odt"}));
        QCOMPARE(w.drop({bare(t.path())}), t.paths({"r.odt", "N/n.odt"}));
        // The chosen folder is always entered; the rule only stops the descent below it.
        QCOMPARE(w.addFolder("odt", t.path("A")), t.paths({"A/a.odt"}));
    }

    // Links lead back up (to "/", to the chosen folder), across to siblings and round in cycles:
    // each real folder is entered once, so each file comes once, and the scan ends.
    void linkCyclesEndAndEveryFileComesOnce() {
        Tree t;
        t.files({"r.odt", "A/a.odt", "A/deep/d.odt", "B/b.odt", "B/B1/c.odt"});
        QFile::link(QStringLiteral("/"), t.path("A/root"));
        t.link("A/toB", "B");
        t.link("B/B1/toA", "A");
        t.link("B/top", "");
        t.link("A/deep/up", "A");
        t.link("0-first", "B");  // listed before B itself, which keeps its files
        Window w;
        const QStringList once = t.paths({"r.odt", "A/a.odt", "B/b.odt", "A/deep/d.odt", "B/B1/c.odt"});
        QCOMPARE(w.addFolderWithin(20, "odt", bare(t.path())), once);
        QCOMPARE(w.drop({bare(t.path())}), once);
        // Entered through a link, a folder is entered under the first path that reaches it.
        QCOMPARE(w.addFolderWithin(20, "odt", t.path("B/top")), t.paths({"B/top/r.odt", "B/top/A/a.odt", "B/top/B/b.odt",
                                                                         "B/top/A/deep/d.odt", "B/top/B/B1/c.odt"}));
    }

    // The folders the platform keeps for itself count as hidden and system: trash folders,
    // lost+found and the office's own backups are neither listed nor entered, at any depth.
    void foldersThePlatformKeepsAreLeftOut() {
        Tree t;
        t.files({"r.odt", ".Trash-1000/files/t.odt", ".Trash/1000/files/u.odt", "lost+found/l.odt", "A/a.odt",
                 "A/lost+found/m.odt", "A/.Trash-0/files/v.odt", "A/B/b.odt", "A/B/lost+found/deeper/n.odt",
                 "A/B/Trash/w.odt", "home/.local/share/Trash/files/d.odt", "home/.local/share/kept.odt",
                 "profile/user/registrymodifications.xcu", "profile/user/backup/auto_0.odt", "A/backup/x.odt"});
        qputenv("XDG_DATA_HOME", QFile::encodeName(t.path("home/.local/share")));
        Window w;
        QCOMPARE(w.addFolder("odt", bare(t.path())), t.paths({"r.odt", "A/a.odt", "A/B/b.odt", "A/backup/x.odt",
                                                               "A/B/Trash/w.odt", "home/.local/share/kept.odt"}));
        QCOMPARE(w.drop({t.path("A")}), t.paths({"A/a.odt", "A/B/b.odt", "A/backup/x.odt", "A/B/Trash/w.odt"}));
        qunsetenv("XDG_DATA_HOME");
    }

    void namesAndDepthsThatCanAndCannotBeFollowed() {
        Tree t;
        QString deep;  // far beyond the old 260 characters
        for (int level = 0; level < 8; ++level) deep += QString(60, QChar(u'é' + level)) + QLatin1Char('/');
        t.files({"what?/a.odt", "日本語 – ‘x’/b.odt", "tab\there/c.odt", "nel\u0085/d.odt", deep + "deep.odt"});
        const QByteArray latin1 = QFile::encodeName(t.path()) + "caf\xe9";
        ::mkdir(latin1.constData(), 0755);
        ::close(::open((latin1 + "/e.odt").constData(), O_CREAT | O_WRONLY, 0644));
        Window w;
        const QStringList added = w.addFolder("odt", bare(t.path()));
        ::unlink((latin1 + "/e.odt").constData());  // names the temporary folder cannot remove
        ::rmdir(latin1.constData());
        QCOMPARE(added, t.paths({"what?/a.odt", "日本語 – ‘x’/b.odt", deep + "deep.odt"}));
    }

    void theRootGivesSingleSeparators() {
        Tree t;
        t.files({"r.odt", "docs/d.odt", "docs/more/m.odt"});
        Window w;
        w.files.root = bare(t.path());
        QCOMPARE(w.scan(QStringLiteral("/")), (QStringList{"//", "//docs/", "//docs/more/"}));
        QCOMPARE(w.addFolder("odt", QStringLiteral("/")), (QStringList{"/r.odt", "/docs/d.odt", "/docs/more/m.odt"}));
    }

    void failuresAreReportedWhereTheyHappenAndWorkGoesOn() {
        Tree t;
        t.files({"a.odt", "F/f.odt", "A/x.odt", "B/b.odt"});
        Window w;
        w.files.attributesFail = {t.path("a.odt"), t.path("A")};
        QCOMPARE(w.drop({t.path("a.odt"), t.path("F"), t.path("gone.odt")}), t.paths({"a.odt", "F/f.odt", "gone.odt"}));
        QCOMPARE(w.fp.dialogs.texts().size(), 1);
        QVERIFY(w.fp.dialogs.texts()[0].contains("in Lumbrel2021/08/31.Form1.ListView1_OLEDragDrop at line 100\r\r"));
        QCOMPARE(w.scan(bare(t.path("A"))), t.paths({"A/"}));
        QVERIFY(w.fp.dialogs.texts()[1].contains("in Mosswick2021/08/31.AddFolder.GetSubDirectories2016 at line 108\r\r"));
    }
};

QTEST_MAIN(DoclistScanTest)
#include "test_doclist_scan.moc"
