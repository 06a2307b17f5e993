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
        t.files({"b.ODT", "a.odt", "C.odt", "c.txt", ".hidden.odt", "README"});
        t.folders({"folder.odt", "sub"});
        t.link("link-to-folder.odt", "sub");
        LinuxFileSystem fs;
        QCOMPARE(fs.matchFiles(t.path(), QStringLiteral("*.odt")), (QStringList{".hidden.odt", "a.odt", "b.ODT", "C.odt"}));
        QCOMPARE(fs.matchFiles(t.path(), QStringLiteral("*.*")).size(), 6);  // also a name without a dot
        QCOMPARE(fs.matchFiles(t.path("missing"), QStringLiteral("*.*")), QStringList());
        QVERIFY(Wildcard(QStringLiteral("?.ÉTÉ")).matches(QStringLiteral("x.été")));
        QVERIFY(!Wildcard(QStringLiteral("*.odt")).matches(QStringLiteral("a.odtx")));
        QVERIFY(!Wildcard(QStringLiteral("*a*a*a*a*a*a*a*b")).matches(QString(300, QLatin1Char('a'))));  // quick
    }

    void aNameThatIsNotUtf8NamesNoFile() {
        Tree t;
        ::close(::open((t.bytes({}) + "caf\xe9.odt").constData(), O_CREAT | O_WRONLY, 0644));
        LinuxFileSystem fs;
        const QStringList names = fs.matchFiles(t.path(), QStringLiteral("*.odt"));
        QCOMPARE(names.size(), 1);
        QVERIFY(names[0].contains(QChar::ReplacementCharacter));
        QVERIFY(!fs.isOpenableFile(t.path(names[0])));
    }

    void subFoldersAndTheirFailures() {
        Tree t;
        t.folders({"beta", "Alpha", ".git"});
        t.files({"file"});
        t.link("gamma", "beta");
        LinuxFileSystem fs;
        QCOMPARE(fs.subFolders(t.path()), (QStringList{".git", "Alpha", "beta", "gamma"}));
        for (const QString& path : {t.path("missing/"), t.path("file/")})
            try {
                fs.subFolders(path);
                QFAIL("listed");
            } catch (const RuntimeError& e) {
                QCOMPARE(e.number, Err::pathNotFound().number);
            }
    }

    void changesAreSeen() {
        Tree t;
        t.files({"a.odt", "b.odt"});
        t.link("to-folder", "");
        LinuxFileSystem fs;
        QCOMPARE(fs.matchFiles(t.path(), QStringLiteral("*.odt")).size(), 2);
        QVERIFY(fs.removeFile(t.path("a.odt")));
        QVERIFY(!fs.isOpenableFile(t.path("a.odt")));
        QVERIFY(!fs.removeFile(t.path("to-folder")) && !fs.removeFile(t.path()));
        // What a listing learnt answers only for a moment; a file removed by others is then gone.
        QFile::remove(t.path("b.odt"));
        QTest::qSleep(LinuxFileSystem::DefaultListingLifetimeMs + 10);
        QVERIFY(!fs.isOpenableFile(t.path("b.odt")));
    }
};

QTEST_GUILESS_MAIN(FileSystemTest)
#include "test_filesystem.moc"
