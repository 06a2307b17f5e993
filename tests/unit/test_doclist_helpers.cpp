// The path helpers the ways of adding, the print run and the PDF output share, and the scan's name test.
#include <QtTest>

#include "FakePlatform.h"
#include "doclist/AddFolder.h"
#include "doclist/ListView.h"
#include "doclist/PathHelpers.h"

class DoclistHelpersTest : public QObject {
    Q_OBJECT

private slots:
    void normalizePathCollapsesPairsAndCutsTheLead_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("doubled between parts") << "/home//user//a.odt" << "/home/user/a.odt";
        QTest::newRow("root joined with a name") << "//a.odt" << "/a.odt";
        QTest::newRow("lead of four, doubled later") << "////srv//docs//a.odt" << "/srv/docs/a.odt";
        QTest::newRow("single lead") << "/a.odt" << "/a.odt";
        QTest::newRow("three inside become two") << "/a///b" << "/a//b";
        QTest::newRow("five inside become three") << "/a/////b" << "/a///b";
        QTest::newRow("relative, doubled") << "a//b" << "a/b";
        QTest::newRow("separators only") << "////" << "/";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("nothing doubled") << "/x/y z/Ä.odt" << "/x/y z/Ä.odt";
        QTest::newRow("backslashes are ordinary") << "/a\\\\b" << "/a\\\\b";
    }
    void normalizePathCollapsesPairsAndCutsTheLead() {
        QFETCH(QString, path);
        QFETCH(QString, normalized);
        QCOMPARE(NormalizePath(path), normalized);
    }

    void fileNamesAndExtensions() {
        QCOMPARE(GetFileName(QStringLiteral("/docs/a.odt")), QStringLiteral("a.odt"));
        QCOMPARE(GetFileName(QStringLiteral("a.odt")), QStringLiteral("a.odt"));
        QCOMPARE(GetFileName(QStringLiteral("/docs/")), QString());
        QCOMPARE(RemoveExtension(QStringLiteral("report.odt")), QStringLiteral("report"));
        QCOMPARE(RemoveExtension(QStringLiteral("a.b.odt")), QStringLiteral("a.b"));
        QCOMPARE(RemoveExtension(QStringLiteral(".profile")), QStringLiteral(".profile"));
        QCOMPARE(RemoveExtension(QStringLiteral("notes")), QStringLiteral("notes"));
        QCOMPARE(RemoveExtension(QString()), QString());
        // The search covers the whole path: a name without extension is cut at a folder's dot.
        QCOMPARE(RemoveExtension(QStringLiteral("/my.dir/notes")), QStringLiteral("/my"));
    }

    void unsafeNames() {
        QVERIFY(!HasUnsafeChars(QString()));
        for (const QString& name : {QStringLiteral("what?"), QStringLiteral("Ünïcödé – ‘quoted’"), QStringLiteral("日本語"),
                                    QStringLiteral("emoji 😀"), QStringLiteral("\u00A0nbsp")})
            QVERIFY2(!HasUnsafeChars(name), qPrintable(name));
        for (const QString& name : {QStringLiteral("tab\there"), QString(QChar(0x7F)), QStringLiteral("next\u0085line"),
                                    QStringLiteral("csi\u009B"), QStringLiteral("caf") + QChar(QChar::ReplacementCharacter)})
            QVERIFY2(HasUnsafeChars(name), qPrintable(name.toUtf8().toHex()));
    }

    void listFolderFilesTakesHiddenFilesAndNoFolders() {
        QTemporaryDir dir;
        for (const char* name : {"a.odt", ".hidden.odt", "b.txt"}) {
            QFile f(dir.path() + '/' + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QDir(dir.path()).mkdir(QStringLiteral("sub.odt"));
        LinuxFileSystem files;
        QCOMPARE(ListFolderFiles(files, dir.path(), QStringLiteral("*.odt")), (QStringList{".hidden.odt", "a.odt"}));
        QCOMPARE(ListFolderFiles(files, dir.path() + '/', QStringLiteral("*.pdf")), QStringList());
        QCOMPARE(ListFolderFiles(files, dir.path() + QStringLiteral("/missing"), QStringLiteral("*.*")), QStringList());
        QVERIFY(IsExistingFile(files, dir.path() + QStringLiteral("/.hidden.odt")));
        QVERIFY(!IsExistingFile(files, dir.path()));
        QVERIFY(IsFolder(files, dir.path()));
        QVERIFY(!IsFolder(files, dir.path() + QStringLiteral("/a.odt")));
        QVERIFY(!IsFolder(files, dir.path() + QStringLiteral("/missing")));
    }

    void listContainsComparesExactly() {
        ListView list;
        QVERIFY(!ListContains(&list, QString()));
        AppendEntry(&list, QStringLiteral("/d/A.odt"));
        AppendEntry(&list, QStringLiteral("/d/A.odt"));
        QCOMPARE(list.count(), 2);  // the same path may stand twice
        QVERIFY(ListContains(&list, QStringLiteral("/d/A.odt")));
        QVERIFY(!ListContains(&list, QStringLiteral("/d/a.odt")));
        QVERIFY(!ListContains(&list, QStringLiteral("/d/A.odt ")));
    }

    void positionsRunFromOne() {
        ListView list;
        AppendEntry(&list, QStringLiteral("first"));
        AppendEntry(&list, QStringLiteral("second"));
        QCOMPARE(list.entryText(1), QStringLiteral("first"));
        QCOMPARE(list.entryText(2), QStringLiteral("second"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, list.entryText(0));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, list.entryText(3));
        list.insertEntry(3, QStringLiteral("third"));  // one past the end appends
        QCOMPARE(list.entryText(3), QStringLiteral("third"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, list.insertEntry(5, QStringLiteral("x")));
        QCOMPARE(list.count(), 3);
    }
};

QTEST_MAIN(DoclistHelpersTest)
#include "test_doclist_helpers.moc"
