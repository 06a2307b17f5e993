// This machine's file system as the program sees it: attribute values, what counts as a file,
// wildcard listings, subfolder listings and folder identities, on real trees.
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/RuntimeError.h"
#include "platform/linux/LinuxFileSystem.h"

namespace {
struct Tree {
    QTemporaryDir dir;
    QString path(const QString& relative = {}) const {
        return relative.isEmpty() ? dir.path() : dir.path() + QLatin1Char('/') + relative;
    }
    QString file(const QString& relative) const {
        QFile f(path(relative));
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot create %s", qPrintable(relative));
        return f.fileName();
    }
    QString folder(const QString& relative) const {
        QDir().mkpath(path(relative));
        return path(relative);
    }
    QString link(const QString& relative, const QString& target) const {
        QFile::link(target, path(relative));
        return path(relative);
    }
    void readOnly(const QString& relative) const { ::chmod(QFile::encodeName(path(relative)).constData(), 0444); }
    // A name whose bytes are not UTF-8 (Latin-1 "caf\xe9"), made below the tree.
    QByteArray latin1Name(const QByteArray& suffix) const {
        const QByteArray name = QFile::encodeName(path()) + "/caf\xe9" + suffix;
        const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
        ::close(fd);
        return name;
    }
};

// The attribute value, or -1 when it cannot be read.
int attr(FileSystem& fs, const QString& path) {
    const auto value = fs.attributes(path);
    return value ? int(*value) : -1;
}
}  // namespace

class FileSystemTest : public QObject {
    Q_OBJECT

private slots:
    void attributeValuesFollowTheMapping() {
        Tree t;
        t.file("a.odt");
        t.file(".hidden.odt");
        t.file(".kept.odt");
        t.readOnly(".kept.odt");
        t.file("locked.odt");
        t.readOnly("locked.odt");
        t.folder("docs");
        t.folder(".config");
        t.link("to-file", t.path("a.odt"));
        t.link("to-folder", t.path("docs"));
        t.link("dangling", t.path("missing"));
        ::mkfifo(QFile::encodeName(t.path("pipe")).constData(), 0644);
        LinuxFileSystem fs;
        QCOMPARE(attr(fs, t.path("a.odt")), 32);
        QCOMPARE(attr(fs, t.path(".hidden.odt")), 34);  // left out of folder scans
        QCOMPARE(attr(fs, t.path(".kept.odt")), 35);    // kept
        QCOMPARE(attr(fs, t.path("locked.odt")), 33);
        QCOMPARE(attr(fs, t.path("docs")), 16);
        QCOMPARE(attr(fs, t.path("docs/")), 16);
        QCOMPARE(attr(fs, t.path(".config")), 18);
        QCOMPARE(attr(fs, t.path("to-file")), 1024 + 32);
        QCOMPARE(attr(fs, t.path("to-folder")), 1024 + 16);
        QCOMPARE(attr(fs, t.path("to-folder/")), 1024 + 16);  // the trailing separator keeps the link a link
        QCOMPARE(attr(fs, t.path("dangling")), 1024);
        QCOMPARE(attr(fs, t.path("pipe")), 0);
        QCOMPARE(attr(fs, t.path("missing")), -1);
        QCOMPARE(attr(fs, t.path("a.odt/")), -1);  // a file is no folder
        QCOMPARE(attr(fs, QString()), -1);
    }

    void onlyRegularFilesCanBeOpenedAndNothingBlocks() {
        Tree t;
        t.file("a.odt");
        t.file(".hidden");
        t.folder("docs");
        t.link("to-file", t.path("a.odt"));
        t.link("dangling", t.path("missing"));
        ::mkfifo(QFile::encodeName(t.path("pipe")).constData(), 0644);  // opening it for reading would wait
        LinuxFileSystem fs;
        QVERIFY(fs.isOpenableFile(t.path("a.odt")));
        QVERIFY(fs.isOpenableFile(t.path(".hidden")));
        QVERIFY(fs.isOpenableFile(t.path("to-file")));
        QVERIFY(!fs.isOpenableFile(t.path("docs")));
        QVERIFY(!fs.isOpenableFile(t.path("dangling")));
        QVERIFY(!fs.isOpenableFile(t.path("pipe")));
        QVERIFY(!fs.isOpenableFile(QStringLiteral("/dev/null")));
        QVERIFY(!fs.isOpenableFile(t.path("missing")));
        QVERIFY(!fs.isOpenableFile(t.path("a.odt/")));
        QVERIFY(!fs.isOpenableFile(QString()));
    }

    void wildcardIgnoresCaseAndStarDotStarTakesEveryName() {
        const Wildcard odt(QStringLiteral("*.odt"));
        QVERIFY(odt.matches(QStringLiteral("a.odt")));
        QVERIFY(odt.matches(QStringLiteral("B.ODT")));
        QVERIFY(odt.matches(QStringLiteral(".odt")));
        QVERIFY(!odt.matches(QStringLiteral("a.odtx")));
        QVERIFY(!odt.matches(QStringLiteral("a.txt")));
        const Wildcard all(QStringLiteral("*.*"));
        for (const char* name : {"README", "a.b.c", ".profile", "x."}) QVERIFY2(all.matches(QString::fromUtf8(name)), name);
        QVERIFY(Wildcard(QStringLiteral("report.*")).matches(QStringLiteral("report")));
        QVERIFY(Wildcard(QStringLiteral("?.odt")).matches(QStringLiteral("x.odt")));
        QVERIFY(!Wildcard(QStringLiteral("?.odt")).matches(QStringLiteral("xy.odt")));
        QVERIFY(Wildcard(QStringLiteral("*.ÉTÉ")).matches(QStringLiteral("juin.été")));
        QVERIFY(!Wildcard(QStringLiteral("*. odt")).matches(QStringLiteral("a.odt")));  // a typed blank counts
        // A long name against many stars stays quick (no exponential backtracking).
        QVERIFY(!Wildcard(QStringLiteral("*a*a*a*a*a*a*a*b")).matches(QString(200, QLatin1Char('a'))));
    }

    void matchFilesListsFilesOnlySortedWithoutCase() {
        Tree t;
        for (const char* name : {"b.ODT", "a.odt", "C.odt", "c.txt", ".hidden.odt", "README"}) t.file(name);
        t.folder("folder.odt");
        t.link("link-to-folder.odt", t.folder("sub"));
        t.link("dangling.odt", t.path("missing"));
        LinuxFileSystem fs;
        // A dangling link is listed, as the enumeration lists it; the existence test leaves it out.
        QCOMPARE(fs.matchFiles(t.path() + '/', QStringLiteral("*.odt")),
                 (QStringList{".hidden.odt", "a.odt", "b.ODT", "C.odt", "dangling.odt"}));
        QCOMPARE(fs.matchFiles(t.path(), QStringLiteral("*.*")).size(), 7);
        QCOMPARE(fs.matchFiles(t.path(), QStringLiteral("*.pdf")), QStringList());
        QCOMPARE(fs.matchFiles(t.path("missing"), QStringLiteral("*.*")), QStringList());
    }

    void aNameThatIsNotUtf8NamesNoFile() {
        Tree t;
        t.latin1Name(".odt");
        LinuxFileSystem fs;
        const QStringList names = fs.matchFiles(t.path(), QStringLiteral("*.odt"));
        QCOMPARE(names.size(), 1);
        QVERIFY(names[0].contains(QChar::ReplacementCharacter));
        QVERIFY(!fs.isOpenableFile(t.path(names[0])));
        QCOMPARE(attr(fs, t.path(names[0])), -1);
    }

    void subFoldersListsFoldersAndFolderLinks() {
        Tree t;
        t.folder("beta");
        t.folder("Alpha");
        t.folder(".git");
        t.file("file");
        t.link("gamma", t.path("beta"));
        t.link("to-file", t.path("file"));
        LinuxFileSystem fs;
        QCOMPARE(fs.subFolders(t.path() + '/'), (QStringList{".git", "Alpha", "beta", "gamma"}));
        QCOMPARE(fs.subFolders(t.path("beta")), QStringList());
    }

    void foldersThatCannotBeListedFailWithTheirNumbers() {
        Tree t;
        t.file("file");
        LinuxFileSystem fs;
        for (const QString& path : {t.path("missing/"), t.path("file/")}) {
            try {
                fs.subFolders(path);
                QFAIL("no failure");
            } catch (const RuntimeError& e) {
                QCOMPARE(e.number, Err::pathNotFound().number);
            }
        }
    }

    void identityIsTheRealFolderBehindThePath() {
        Tree t;
        t.folder("a/b");
        t.link("a/b/up", t.path("a"));
        LinuxFileSystem fs;
        const QString a = fs.folderIdentity(t.path("a"));
        QVERIFY(!a.isEmpty());
        QCOMPARE(fs.folderIdentity(t.path("a/b/up/")), a);
        QVERIFY(fs.folderIdentity(t.path("a/b")) != a);
        fs.subFolders(t.path("a/b/"));  // answers from the listing must agree
        QCOMPARE(fs.folderIdentity(t.path("a/b/up/")), a);
        QCOMPARE(fs.folderIdentity(t.path("missing")), QString());
    }

    void rootAndEntries() {
        Tree t;
        t.link("dangling", t.path("missing"));
        LinuxFileSystem fs;
        QVERIFY(fs.isRootFolder(QStringLiteral("/")));
        QVERIFY(fs.isRootFolder(QStringLiteral("//")));
        QVERIFY(!fs.isRootFolder(t.path()));
        QVERIFY(!fs.isRootFolder(QString()));
        QVERIFY(fs.entryExists(t.path()));
        QVERIFY(fs.entryExists(t.path("dangling")));
        QVERIFY(!fs.entryExists(t.path("missing")));
        QVERIFY(fs.lastModified(t.path()).has_value());
        QVERIFY(!fs.lastModified(t.path("missing")).has_value());
    }

    void removeFileRemovesFilesOnlyAndIsSeenAtOnce() {
        Tree t;
        t.file("a.odt");
        t.link("to-folder", t.folder("docs"));
        LinuxFileSystem fs;
        QCOMPARE(fs.matchFiles(t.path(), QStringLiteral("*.odt")), QStringList{"a.odt"});
        QVERIFY(fs.isOpenableFile(t.path("a.odt")));
        QVERIFY(fs.removeFile(t.path("a.odt")));
        QVERIFY(!fs.isOpenableFile(t.path("a.odt")));
        QVERIFY(!fs.removeFile(t.path("a.odt")));
        QVERIFY(!fs.removeFile(t.path("docs")));
        QVERIFY(!fs.removeFile(t.path("to-folder")));
        QVERIFY(QFileInfo(t.path("to-folder")).isSymLink());
    }

    // What a listing learnt answers only for a moment; a file that went away is then seen gone.
    void aListingsAnswersExpire() {
        Tree t;
        t.file("a.odt");
        LinuxFileSystem fs;
        QCOMPARE(fs.matchFiles(t.path(), QStringLiteral("*.*")).size(), 1);
        QFile::remove(t.path("a.odt"));
        QTest::qSleep(LinuxFileSystem::DefaultListingLifetimeMs + 10);
        QVERIFY(!fs.isOpenableFile(t.path("a.odt")));
        QCOMPARE(attr(fs, t.path("a.odt")), -1);
    }
};

QTEST_GUILESS_MAIN(FileSystemTest)
#include "test_filesystem.moc"
