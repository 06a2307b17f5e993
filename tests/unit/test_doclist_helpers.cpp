// The path helpers the ways of adding, the print run and the PDF output share, and the scan's name test.
#include <QtTest>

#include "FakePlatform.h"
#include "doclist/AddFolder.h"
#include "doclist/ListView.h"
#include "engine/PathHelpers.h"

class DoclistHelpersTest : public QObject {
    Q_OBJECT

private slots:
    void normalizePath() {
        const std::pair<const char*, const char*> table[] = {
            {"/home//user//a.odt", "/home/user/a.odt"}, {"//a.odt", "/a.odt"},  // the root joined with a name
            {"////srv//docs//a.odt", "/srv/docs/a.odt"}, {"/a///b", "/a//b"},   {"/a/////b", "/a///b"},
            {"a//b", "a/b"},  {"////", "/"}, {"", ""}, {"/x/y z/Ä.odt", "/x/y z/Ä.odt"}, {"/a\\\\b", "/a\\\\b"}};
        for (const auto& [path, normalized] : table) QCOMPARE(NormalizePath(QString::fromUtf8(path)), QString::fromUtf8(normalized));
    }

    void namesAndExtensions() {
        QCOMPARE(GetFileName(QStringLiteral("/docs/a.odt")), QStringLiteral("a.odt"));
        QCOMPARE(GetFileName(QStringLiteral("a.odt")), QStringLiteral("a.odt"));
        QCOMPARE(GetFileName(QStringLiteral("/docs/")), QString());
        QCOMPARE(RemoveExtension(QStringLiteral("a.b.odt")), QStringLiteral("a.b"));
        QCOMPARE(RemoveExtension(QStringLiteral(".profile")), QStringLiteral(".profile"));
        QCOMPARE(RemoveExtension(QStringLiteral("notes")), QStringLiteral("notes"));
        QCOMPARE(RemoveExtension(QStringLiteral("/my.dir/notes")), QStringLiteral("/my"));  // the whole text is searched
    }

    void unsafeNames() {
        for (const char* name : {"what?", "Ünïcödé – ‘quoted’", "日本語", "emoji 😀", ""})
            QVERIFY2(!HasUnsafeChars(QString::fromUtf8(name)), name);
        for (const char* name : {"tab\there", "\x7f", "next\u0085line", "csi\u009B", "caf\xef\xbf\xbd"})
            QVERIFY2(HasUnsafeChars(QString::fromUtf8(name)), name);
    }

    void entriesArePositionedFromOneAndComparedExactly() {
        ListView list;
        for (const char* text : {"/d/A.odt", "/d/A.odt", "/d/b.odt"}) AppendEntry(&list, QString::fromUtf8(text));
        QCOMPARE(list.count(), 3);  // the same path may stand twice
        QCOMPARE(list.entryText(3), QStringLiteral("/d/b.odt"));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, list.entryText(0));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, list.entryText(4));
        QVERIFY(ListContains(&list, QStringLiteral("/d/A.odt")));
        QVERIFY(!ListContains(&list, QStringLiteral("/d/a.odt")));
        list.clear();
        QVERIFY(!ListContains(&list, QString()));
    }
};

QTEST_MAIN(DoclistHelpersTest)
#include "test_doclist_helpers.moc"
