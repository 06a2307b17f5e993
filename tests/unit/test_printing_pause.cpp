// Reading the pause box as the classic runtime reads numbers, the 16-bit conversion, and the wait.
#include <QtTest>

#include "FakePlatform.h"
#include "printing/Pause.h"

class PauseTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    void numbersInText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("number");
        const std::optional<double> none;
        for (const char* t : {"", "  ", "abc", "2 5", "inf", "nan", "1e400", "&H", "&HG", "&O8", "-&H1", "0x10"})
            QTest::newRow(*t ? t : "empty") << QString(t) << none;
        QTest::newRow("blanks, sign") << " +7 " << std::optional(7.0);
        QTest::newRow("decimal") << "-2.5" << std::optional(-2.5);
        QTest::newRow("grouping") << "1,000" << std::optional(1000.0);
        QTest::newRow("exponent") << "1e1" << std::optional(10.0);
        QTest::newRow("hex") << "&H10" << std::optional(16.0);
        QTest::newRow("hex letters") << " &hff " << std::optional(255.0);
        QTest::newRow("octal") << "&O17" << std::optional(15.0);
    }
    void numbersInText() {
        QFETCH(QString, text);
        QTEST(NumberFromText(text), "number");
    }

    void localeSeparators() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(NumberFromText("2,5"), std::optional(2.5));
        QCOMPARE(NumberFromText("1.000"), std::optional(1000.0));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void conversionRoundsHalvesToEven() {
        const QList<std::pair<double, int>> cases{{2.5, 2},       {3.5, 4},         {-2.5, -2},        {-3.5, -4},
                                                  {2.4999, 2},    {2.5001, 3},      {32767.4, 32767},  {-32768.5, -32768}};
        for (const auto& [value, expected] : cases) QCOMPARE(int(CInt(value)), expected);
        for (double value : {32767.5, -32769.0, 40000.0, 70000.0}) {
            try {
                CInt(value);
                QFAIL(qPrintable(QString("no overflow for %1").arg(value)));
            } catch (const RuntimeError& e) {
                QCOMPARE(e.number, 6);
            }
        }
        try {
            CInt(QStringLiteral("abc"));
            QFAIL("no type mismatch");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number, 13);
        }
    }

    void waitsOnlyForPositiveSeconds() {
        FakePlatform fp;
        for (int seconds : {0, -5, 5}) WaitSeconds(fp.platform, seconds);
        QCOMPARE(fp.log, QStringList{"wait 5000"});
    }
};

QTEST_GUILESS_MAIN(PauseTest)
#include "test_printing_pause.moc"
