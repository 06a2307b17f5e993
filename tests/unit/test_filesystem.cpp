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
    QString path(const QString& relative = {}) const { return dir.path() + QLatin1Char('/') + relative; }
    void files(const QStringList& relatives) const {
        for (const QString& r : relatives) QFile(path(r)).open(QIODevice::WriteOnly);
    }
    void folders(const QStringList& relatives) const {
        for (const QString& r : relatives) QDir().mkpath(path(r));
    }
    void link(const QString& relative, const QString& target) const { QFile::link(path(target), path(relative)); }
    QByteArray bytes(const QString& relative) const { return QFile::encodeName(path(relative)); }
};

int attr(FileSystem& fs, const QString& path) {  // -1 when it cannot be read
    const auto value = fs.attributes(path);
    return value ? int(*value) : -1;
}

QStringList fileNames(const FolderListing& listing) {
    QStringList names;
    for (const auto& file : listing.files) names << file.name;
    return names;
}

int listingError(FileSystem& fs, const QString& folder) {  // 0 when it could be listed
    try {
        fs.listFolder(folder, QStringLiteral("*.*"));
        return 0;
    } catch (const RuntimeError& e) {
        return e.number;
    }
}
}  // namespace

class FileSystemTest : public QObject {
    Q_OBJECT

private slots:
    void attributesAndFiles() {
        Tree t;
        t.files({"a.odt", ".hidden.odt", ".kept.odt"});
        ::chmod(t.bytes(".kept.odt").constData(), 0444);
        t.folders({"docs", ".config"});
        t.link("to-file", "a.odt");
        t.link("to-folder", "docs");
        t.link("dangling", "missing");
        ::mkfifo(t.bytes("pipe").constData(), 0644);  // opening it for reading would wait for a writer
        LinuxFileSystem fs;
        const struct {
            const char* name;
            int attributes;
            bool file;
        } table[] = {{"a.odt", 32, true},       {".hidden.odt", 34, true},  {".kept.odt", 35, true},
                     {"docs", 16, false},       {"docs/", 16, false},       {".config", 18, false},
                     {"to-file", 1056, true},   {"to-folder", 1040, false}, {"to-folder/", 1040, false},
                     {"dangling", 1024, false}, {"pipe", 0, false},         {"missing", -1, false},
                     {"a.odt/", -1, false}};
        for (const auto& row : table) {
            QCOMPARE(attr(fs, t.path(row.name)), row.attributes);
            QVERIFY2(fs.isOpenableFile(t.path(row.name)) == row.file, row.name);
        }
        QVERIFY(!fs.isOpenableFile(QStringLiteral("/dev/null")));
        QVERIFY(fs.entryExists(t.path("dangling")) && !fs.entryExists(t.path("missing")));
        QVERIFY(fs.isRootFolder(QStringLiteral("//")) && !fs.isRootFolder(t.path()));
    }

    void wildcardListingsIgnoreCaseAndSkipFolders() {
        Tree t;
        t.files({"b.ODT", "a.odt", "C.odt", "c.txt", ".hidden.odt", ".kept.odt", "README"});
        ::chmod(t.bytes(".kept.odt").constData(), 0444);
        t.folders({"folder.odt", "sub"});
        t.link("link-to-folder.odt", "sub");
        t.link(".link.odt", "a.odt");
        LinuxFileSystem fs;
        const FolderListing odt = fs.listFolder(t.path(), QStringLiteral("*.odt"));
        QCOMPARE(fileNames(odt), (QStringList{".hidden.odt", ".kept.odt", ".link.odt", "a.odt", "b.ODT", "C.odt"}));
        QList<bool> plainHidden;  // only a hidden, writable, real file has the value 34
        for (const auto& file : odt.files) plainHidden << file.plainHidden;
        QCOMPARE(plainHidden, (QList<bool>{true, false, false, false, false, false}));
        QCOMPARE(fs.listFolder(t.path(), QStringLiteral("*.*")).files.size(), 8);  // also a name without a dot
        QVERIFY(Wildcard(QStringLiteral("?.ÉTÉ")).matches(QStringLiteral("x.été")));
        QVERIFY(!Wildcard(QStringLiteral("*.odt")).matches(QStringLiteral("a.odtx")));
        QVERIFY(!Wildcard(QStringLiteral("*a*a*a*a*a*a*a*b")).matches(QString(300, QLatin1Char('a'))));  // quick
    }

    void aNameThatIsNotUtf8NamesNoFile() {
        Tree t;
        const QByteArray latin1 = t.bytes({}) + "caf\xe9.odt";
        ::close(::open(latin1.constData(), O_CREAT | O_WRONLY, 0644));
        t.files({"plain.odt"});
        LinuxFileSystem fs;
        const QStringList names = fileNames(fs.listFolder(t.path(), QStringLiteral("*.odt")));
        ::unlink(latin1.constData());  // a name the temporary folder cannot remove
        QCOMPARE(names, QStringList{"plain.odt"});
    }

    void subFoldersTheirIdentitiesAndFailures() {
        Tree t;
        t.folders({"beta", "Alpha", ".git", "a/b"});
        t.files({"file"});
        t.link("gamma", "beta");
        t.link("a/b/up", "a");
        LinuxFileSystem fs;
        const FolderListing listing = fs.listFolder(t.path(), QStringLiteral("*"));
        QStringList names;
        QList<int> attributes;
        for (const auto& folder : listing.folders) {
            names << folder.name;
            attributes << int(folder.attributes);
        }
        QCOMPARE(names, (QStringList{".git", "a", "Alpha", "beta", "gamma"}));
        QCOMPARE(attributes, (QList<int>{18, 16, 16, 16, 1040}));
        QVERIFY(listing.folders[3].identity == listing.folders[4].identity);  // the link leads to beta
        // The chain up from a folder, through links and "..", ends at the root.
        const QList<FolderId> chain = fs.folderAndAncestors(t.path("a/b/up"));
        QCOMPARE(chain, fs.folderAndAncestors(t.path("a")));
        QCOMPARE(chain.mid(1), fs.folderAndAncestors(t.path()));
        QCOMPARE(chain.last(), fs.folderAndAncestors(QStringLiteral("/")).first());
        QVERIFY(fs.folderAndAncestors(t.path("file")).isEmpty());
        QCOMPARE(listingError(fs, t.path("missing/")), Err::pathNotFound().number);
        QCOMPARE(listingError(fs, t.path("file/")), Err::pathNotFound().number);
    }

    // The kernel's own views hold link cycles and endless trees: never listed.
    void kernelFileSystemsAreNeverListed() {
        LinuxFileSystem fs;
        for (const char* view : {"/proc", "/sys", "/proc/self/root/proc"})
            QCOMPARE(listingError(fs, QString::fromLatin1(view)), Err::permissionDenied().number);
        QCOMPARE(listingError(fs, QDir::tempPath()), 0);
    }

    // Trash folders, lost+found and the office's backups are hidden + system like the recycle bin.
    void foldersThePlatformKeepsAreHiddenAndSystem() {
        Tree t;
        t.folders({".Trash", ".Trash-1000", ".Trash-", ".Trash-x", "lost+found", "Trash", "data/Trash",
                   "profile/user/backup", "backup"});
        t.files({"profile/user/registrymodifications.xcu", ".Trash-1001"});
        t.link("to-lost", "lost+found");
        qputenv("XDG_DATA_HOME", t.bytes("data"));
        LinuxFileSystem fs;
        const struct {
            const char* name;
            int attributes;
        } table[] = {{".Trash", 22}, {".Trash-1000", 22}, {".Trash-", 18}, {".Trash-x", 18}, {"lost+found", 22},
                     {"Trash", 16},  {"data/Trash", 22},  {"profile/user/backup", 22},    {"backup", 16},
                     {".Trash-1001", 34}, {"to-lost", 1040}};
        for (const auto& row : table) QVERIFY2(attr(fs, t.path(row.name)) == row.attributes, row.name);
        QMap<QString, int> listed;
        for (const QString& folder : {t.path(), t.path("data"), t.path("profile/user")})
            for (const auto& sub : fs.listFolder(folder, QStringLiteral("*")).folders) listed[sub.name] = int(sub.attributes);
        QCOMPARE(listed.value(".Trash-1000"), 22);
        QCOMPARE(listed.value("lost+found"), 22);
        QCOMPARE(listed.value("backup"), 22);  // the last one listed: the profile's
        QCOMPARE(listed.value("Trash"), 22);   // likewise: the one in the data folder
        qunsetenv("XDG_DATA_HOME");
    }
};

QTEST_GUILESS_MAIN(FileSystemTest)
#include "test_filesystem.moc"
