// What the real open-file dialog hands back: the filter and the selection's NUL-separated form.
#include <QtTest>

#include "platform/linux/LinuxDialogs.h"

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void filterPatternsIgnoreLetterCase() {
        const QStringList filters = NameFiltersFrom(QStringLiteral(
            "Writer Documents (*.odt;*.ott;*.sxw;*.stw)|*.odt;*.ott;*.sxw;*.stw|All Files (*.*)|*.*"));
        QCOMPARE(filters.size(), 2);
        QVERIFY(filters[0].startsWith(QStringLiteral("Writer Documents (*.odt;*.ott;*.sxw;*.stw) (")));
        QVERIFY(filters[0].contains(QStringLiteral("*.[oO][dD][tT]")));
        QVERIFY(filters[0].contains(QStringLiteral("*.[sS][tT][wW]")));
        QVERIFY(filters[1].endsWith(QStringLiteral("(*)")));  // every name, also without a dot
    }

    void selectionsComeInTheMultipleSelectionForm() {
        QCOMPARE(SelectionResult({QStringLiteral("/docs/a.odt")}), QStringLiteral("/docs/a.odt"));
        QCOMPARE(SelectionResult({QStringLiteral("/docs/a.odt"), QStringLiteral("/docs/b c.odt")}),
                 QStringLiteral("/docs") + QChar(0) + QStringLiteral("a.odt") + QChar(0) + QStringLiteral("b c.odt"));
        // A root folder keeps its one separator; the add-files action collapses the doubled one.
        QCOMPARE(SelectionResult({QStringLiteral("/a.odt"), QStringLiteral("/b.odt")}),
                 QStringLiteral("/") + QChar(0) + QStringLiteral("a.odt") + QChar(0) + QStringLiteral("b.odt"));
    }

    void filesFromSeveralFoldersKeepTheirPaths() {
        const QString result = SelectionResult({QStringLiteral("/home/u/x/1.odt"), QStringLiteral("/home/u/y/z/2.odt")});
        const QStringList parts = result.split(QChar(0));
        QCOMPARE(parts.first(), QStringLiteral("/home/u"));
        QCOMPARE(parts.mid(1), (QStringList{QStringLiteral("x/1.odt"), QStringLiteral("y/z/2.odt")}));
    }

    void messageLineBreaksShowAsOne() {
        QCOMPARE(DisplayText(QStringLiteral("a\r\nb\rc\nd")), QStringLiteral("a\nb\nc\nd"));
    }
};

QTEST_GUILESS_MAIN(DialogsTest)
#include "test_app_dialogs.moc"
