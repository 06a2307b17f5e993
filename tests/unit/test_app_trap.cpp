// The one error report and its resume rules.
#include <QtTest>

#include "FakePlatform.h"
#include "runtime/AppTitle.h"
#include "runtime/Trap.h"

class TrapTest : public QObject {
    Q_OBJECT
    const QString location = MainProject + QStringLiteral(".Form1.Form_Load");

private slots:
    void reportTextIsExact() {
        FakePlatform fp;
        Trap trap(fp.platform, location);
        trap(138, [] { throw RuntimeError(9, QStringLiteral("Subscript out of range")); });
        QCOMPARE(fp.dialogs.messages.size(), size_t(1));
        const MessageBoxRequest& box = fp.dialogs.messages[0];
        QCOMPARE(box.text, QStringLiteral("Subscript out of range\r\nin Lumbrel2021/08/31.Form1.Form_Load at line 138"
                                          "\r\rPlease email screenshot of this message to ") +
                               SupportAddress);
        QCOMPARE(box.caption, QStringLiteral("Application Error"));
        QCOMPARE(box.buttons, Buttons::Ok);
        QCOMPARE(box.icon, Icon::Exclamation);
    }

    void emptyDescriptionStartsWithLineBreak() {
        FakePlatform fp;
        Trap trap(fp.platform, location);
        trap(100, [] { throw RuntimeError(5, QString()); });
        QVERIFY(fp.dialogs.messages[0].text.startsWith(QStringLiteral("\r\nin ")));
    }

    void resumesWithTheNextStatementOfTheSameStep() {
        FakePlatform fp;
        Trap trap(fp.platform, location);
        QStringList ran;
        trap(130, [&] { throw Err::typeMismatch(); });
        trap(130, [&] { ran << "130b"; });
        trap(130, [&] { ran << "130c"; });
        trap(132, [&] { ran << "132"; });
        QCOMPARE(ran, (QStringList{"130b", "130c", "132"}));
        QCOMPARE(fp.dialogs.messages.size(), size_t(1));
        QVERIFY(fp.dialogs.messages[0].text.contains(QStringLiteral("at line 130\r\r")));
    }

    void failingTestResumesInTheTrueBranch() {
        FakePlatform fp;
        Trap trap(fp.platform, location);
        bool trueBranch = false;
        if (trap.test(102, []() -> bool { throw Err::pathNotFound(); })) trueBranch = true;
        QVERIFY(trueBranch);
        QVERIFY(!trap.test(104, [] { return false; }));
    }

    void staysArmedAndReportsEachFailureWithItsLine() {
        FakePlatform fp;
        Trap trap(fp.platform, location);
        trap(148, [] { throw RuntimeError(1, QStringLiteral("load failed")); });
        trap(150, [] {});
        trap(154, [] { throw std::runtime_error("no frame"); });
        QCOMPARE(fp.dialogs.messages.size(), size_t(2));
        QVERIFY(fp.dialogs.messages[0].text.startsWith(QStringLiteral("load failed\r\n")));
        QVERIFY(fp.dialogs.messages[0].text.contains(QStringLiteral("at line 148")));
        QVERIFY(fp.dialogs.messages[1].text.startsWith(QStringLiteral("no frame\r\n")));
        QVERIFY(fp.dialogs.messages[1].text.contains(QStringLiteral("at line 154")));
    }

    void endOnAnswersOneNumberAndSkipsTheRest() {
        FakePlatform fp;
        Trap trap(fp.platform, location);
        bool answered = false, after = false;
        trap.endOn(20476, [&] { answered = true; });
        trap(112, [] { throw Err::fileNameBufferTooSmall(); });
        trap(114, [&] { after = true; });
        QVERIFY(answered);
        QVERIFY(!after);
        QVERIFY(trap.ended());
        QVERIFY(fp.dialogs.messages.empty());
    }

    void programEndIsNotTrapped() {
        FakePlatform fp;
        Trap trap(fp.platform, location);
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, trap(142, [&] { fp.runtime.endProgram(); }));
        QVERIFY(fp.dialogs.messages.empty());
    }

    void printerModuleHasItsOwnFormat() {
        FakePlatform fp;
        ReportPrinterError(fp.platform, RuntimeError(1001, QStringLiteral("No default printer")));
        const MessageBoxRequest& box = fp.dialogs.messages.at(0);
        QCOMPARE(box.text, QStringLiteral("Error No: 1001\r\nNo default printer\r\nHas occured in "
                                          "modPrinters.GetDefaultPrinter\r\nPlease contact Technical Support"));
        QCOMPARE(box.caption, AppTitle());
        QCOMPARE(box.icon, Icon::None);
    }

    void appTitleCutsLongNamesAtBlanks() {
        QCOMPARE(TitleFromProductName(QStringLiteral("Quorvane")), QStringLiteral("Quorvane"));
        const QString exactly40(40, QLatin1Char('x'));
        QCOMPARE(TitleFromProductName(exactly40), exactly40);
        QCOMPARE(TitleFromProductName(QStringLiteral("Quorvane Batch Printer For Writer Documents Deluxe Edition")),
                 QStringLiteral("Quorvane Batch Printer For Writer"));
        QCOMPARE(TitleFromProductName(QString(45, QLatin1Char('y'))).size(), 40);  // no blank to cut at
    }
};

QTEST_GUILESS_MAIN(TrapTest)
#include "test_app_trap.moc"
