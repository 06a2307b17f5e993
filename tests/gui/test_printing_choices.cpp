// The printer box and the pause box: what start-up restores, what each change stores, and the
// printer operations' messages.
#include <QtTest>

#include "FakePlatform.h"
#include "app/Form1.h"
#include "printing/GetSetPrinter.h"
#include "printing/PDFprint.h"

namespace {
struct Start {
    FakePlatform fp;
    Form1 form{fp.platform};
    explicit Start(std::optional<QString> storedPosition) {
        fp.settings.set("Snapshot", "recorded");
        fp.printers.installed = {"A", "B", PdfPrinterName};
        fp.printers.current = "B";
        if (storedPosition) fp.settings.set("Combo1", *storedPosition);
        form.Form_Load();
    }
    QStringList errors() const {
        QStringList out;
        for (const auto& m : fp.dialogs.messages)
            if (m.caption == QLatin1String("Application Error")) out << m.text.section("\r\n", 1).section('\r', 0, 0);
        return out;
    }
};
}  // namespace

class ChoicesTest : public QObject {
    Q_OBJECT

private slots:
    void printerBoxAtStartUp_data() {
        QTest::addColumn<std::optional<QString>>("stored");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("storedAfter");
        QTest::addColumn<QString>("error");
        QTest::newRow("first start") << std::optional<QString>() << 1 << "1" << QString();
        QTest::newRow("2 of 3") << std::optional<QString>("2") << 2 << "2" << QString();
        QTest::newRow("5 of 3") << std::optional<QString>("5") << -1 << "5"
                                << "in Lumbrel2021/08/31.Form1.Form_Load at line 138";
        QTest::newRow("no number") << std::optional<QString>("x") << -1 << "x"
                                   << "in Lumbrel2021/08/31.Form1.Form_Load at line 138";
    }
    void printerBoxAtStartUp() {
        QFETCH(std::optional<QString>, stored);
        QFETCH(QString, error);
        Start start(stored);
        QCOMPARE(start.form.Combo1->count(), 3);
        QTEST(start.form.Combo1->currentIndex(), "selected");
        QTEST(*start.fp.settings.get("Combo1"), "storedAfter");
        QCOMPARE(start.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    }

    void unreadableDefaultLeavesTheBoxEmpty() {
        FakePlatform fp;
        fp.printers.installed = {"A"};
        fp.printers.unreachable = true;
        Form1 form(fp.platform);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, FillPrinterList(form));
        QCOMPARE(form.Combo1->count(), 0);
        QVERIFY(!fp.settings.get("Combo1"));
    }

    void pauseBox() {
        Start start(std::nullopt);
        QCOMPARE(*start.fp.settings.get("Text2"), QStringLiteral("2"));
        start.form.Text2->clear();
        QTest::keyClicks(start.form.Text2, "1x");  // every text is kept, numbers or not
        QCOMPARE(*start.fp.settings.get("Text2"), QStringLiteral("1x"));
        start.form.PushButton11->click();
        QCOMPARE(start.fp.dialogs.texts(),
                 QStringList{"Please use this feature to slow down the printing process if you are receiving error "
                             "messages or errors in the printouts themselves."});
    }

    void printerOperationsFailQuietlyUnlessAsked() {
        FakePlatform fp;
        fp.printers.installed = {"A"};
        QVERIFY(SetDefaultPrinter(fp.platform, "A", true));
        QVERIFY(!SetDefaultPrinter(fp.platform, "Gone", false));
        QVERIFY(!SetDefaultPrinter(fp.platform, QString(), false));
        QCOMPARE(fp.dialogs.messages.size(), size_t(0));
        QVERIFY(!SetDefaultPrinter(fp.platform, "Gone", true));
        QCOMPARE(fp.dialogs.texts(), QStringList{"Cannot set printer."});
        QCOMPARE(fp.printers.current, QStringLiteral("A"));

        fp.printers.unreachable = true;
        QCOMPARE(GetDefaultPrinter(fp.platform), QString());
        const MessageBoxRequest& box = fp.dialogs.messages.back();
        QCOMPARE(box.text, QStringLiteral("Error No: 1001\r\nThe printing system cannot be reached\r\nHas occured in "
                                          "modPrinters.GetDefaultPrinter\r\nPlease contact Technical Support"));
        QCOMPARE(box.caption, QStringLiteral("Quorvane"));
        QCOMPARE(box.icon, Icon::None);
    }
};

QTEST_MAIN(ChoicesTest)
#include "test_printing_choices.moc"
