// The PDF output folder window: what it offers when it opens, what it keeps when it closes,
// the folder browser, and its hand pointer.
#include <QtTest>

#include "FakePlatform.h"
#include "printing/Form2.h"
#include "printing/PDFprint.h"

namespace {
struct Window {
    FakePlatform fp;
    std::unique_ptr<Form2> form2;
    explicit Window(std::optional<QString> stored = std::nullopt, const QString& programFolder = "/nonexistent") : fp(programFolder) {
        if (stored) fp.settings.set("Backup Path", *stored);
    }
    Form2& open() {
        form2 = std::make_unique<Form2>(fp.platform, nullptr);
        form2->Form_Load();
        form2->show();
        return *form2;
    }
};

void moveOver(QWidget* w) {
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), w->mapToGlobal(QPointF(1, 1)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}
}  // namespace

class Form2Test : public QObject {
    Q_OBJECT

private slots:
    void init() { OutputFolder.clear(); }

    void firstOpeningOffersTheDesktop() {
        Window w;
        Form2& f = w.open();
        QCOMPARE(f.txtBackupPath->text(), QStringLiteral("/home/user/Desktop/"));
        QCOMPARE(*w.fp.settings.get("Backup Path"), QStringLiteral("/home/user/Desktop/"));
        QCOMPARE(f.palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
        QVERIFY(!f.MousePointer.hasCustomImage());
        QVERIFY(w.fp.dialogs.messages.empty());  // no hand pointer file, no report

        QTemporaryDir program;
        QFile::copy(QUORVANE_SOURCE_DIR "/assets/program/HAND-M.CUR", program.path() + "/HAND-M.CUR");
        Window withHand(std::nullopt, program.path());
        Form2& g = withHand.open();
        QVERIFY(g.MousePointer.hasCustomImage());
        moveOver(g.PushButton2);
        QCOMPARE(g.MousePointer.mode(), int(vbCustom));
        g.MousePointer.setMode(vbHourglass);
        moveOver(g.PushButton1);
        QCOMPARE(g.MousePointer.mode(), int(vbHourglass));
    }

    void everyWayOfClosingHandsTheTextOn() {
        Window typed;
        Form2& f = typed.open();
        f.txtBackupPath->clear();
        QTest::keyClicks(f.txtBackupPath, "/srv/pdf");
        f.close();  // the close box
        QCOMPARE(OutputFolder, QStringLiteral("/srv/pdf"));
        QCOMPARE(typed.open().txtBackupPath->text(), QStringLiteral("/srv/pdf"));
        typed.form2->txtBackupPath->clear();
        QTest::keyClick(typed.form2->txtBackupPath, Qt::Key_Escape);
        QCOMPARE(OutputFolder, QString());
        QCOMPARE(typed.open().txtBackupPath->text(), QString());  // an emptied text stays empty
        typed.form2->txtBackupPath->setText("/x/");
        typed.form2->PushButton1->click();
        QCOMPARE(OutputFolder, QStringLiteral("/x/"));
        QVERIFY(!typed.form2->isVisible());
    }

    void unknownDesktopIsReportedAndLeavesTheBoxEmpty() {
        Window w(QStringLiteral("/stored/"));
        w.fp.shell.desktopUnknown = true;
        QCOMPARE(w.open().txtBackupPath->text(), QString());
        QCOMPARE(w.fp.dialogs.messages.size(), size_t(1));
        QVERIFY(w.fp.dialogs.texts()[0].contains("in Lumbrel2021/08/31.Form2.Form_Load at line 108"));
    }

    void browsing_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("shown");
        QTest::newRow("cancel") << QString() << "/stored/";
        QTest::newRow("folder") << "/media/usb" << "/media/usb/";
        QTest::newRow("root") << "/" << "/";
    }
    void browsing() {
        QFETCH(QString, chosen);
        Window w(QStringLiteral("/stored/"));
        Form2& f = w.open();
        w.fp.dialogs.browseAnswers.push_back(chosen);
        f.PushButton2->click();
        QCOMPARE(w.fp.dialogs.browses.size(), size_t(1));
        QCOMPARE(w.fp.dialogs.browses[0].title, QStringLiteral("Please select folder:"));
        QCOMPARE(w.fp.dialogs.browses[0].initial, QString());
        QTEST(f.txtBackupPath->text(), "shown");
        QTEST(*w.fp.settings.get("Backup Path"), "shown");
    }

    void focusSelectsTheWholeText() {
        Window w(QStringLiteral("/stored/"));
        Form2& f = w.open();
        f.PushButton1->setFocus();
        QApplication::setActiveWindow(&f);
        QTest::mouseClick(f.txtBackupPath, Qt::LeftButton);  // the click also places the cursor
        QTRY_COMPARE(f.txtBackupPath->selectedText(), QStringLiteral("/stored/"));
    }
};

QTEST_MAIN(Form2Test)
#include "test_form2.moc"
