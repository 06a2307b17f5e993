// Reading the pause box as the classic runtime reads numbers, and the 16-bit conversion.
#include <QtTest>

#include "platform/RuntimeError.h"
#include "printing/Pause.h"

class PauseTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void numbersInText() {
        for (const char* text : {"", "  ", "abc", "2 5", "inf", "nan", "1e400", "&H", "&HG", "&O8", "-&H1", "0x10"})
            QVERIFY2(!NumberFromText(text), text);
        const QList<std::pair<const char*, double>> numbers{{" +7 ", 7},  {"-2.5", -2.5},   {"1,000", 1000}, {"1e1", 10},
                                                            {"&H10", 16}, {" &hff ", 255}, {"&O17", 15}};
        for (const auto& [text, number] : numbers) QCOMPARE(NumberFromText(text), std::optional(number));
        // &H and &O give the bits of a 16-bit (else 32-bit) signed integer, as the classic runtime reads them.
        const QList<std::pair<const char*, double>> prefixed{
            {"&H7FFF", 32767},    {"&HFFFF", -1},         {"&H8000", -32768},     {"&O177777", -1},
            {"&O100000", -32768}, {"&H10000", 65536},     {"&HFFFFFFFF", -1},     {"&H80000000", -2147483648.0},
            {"&H100000000", 4294967296.0}};
        for (const auto& [text, number] : prefixed) QCOMPARE(NumberFromText(text), std::optional(number));
        QCOMPARE(int(CInt(QStringLiteral("&HFFFF"))), -1);
        QCOMPARE(int(CInt(QStringLiteral("&H8000"))), -32768);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, CInt(QStringLiteral("&H10000")));  // overflow, as before
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(NumberFromText("2,5"), std::optional(2.5));
        QCOMPARE(NumberFromText("1.000"), std::optional(1000.0));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void conversionRoundsHalvesToEven() {
        const QList<std::pair<double, int>> cases{{2.5, 2},    {3.5, 4},    {-2.5, -2},      {-3.5, -4},
                                                  {2.4999, 2}, {2.5001, 3}, {32767.4, 32767}, {-32768.5, -32768}};
        for (const auto& [value, expected] : cases) QCOMPARE(int(CInt(value)), expected);
        for (double value : {32767.5, -32769.0}) {
            try {
                CInt(value);
                QFAIL(qPrintable(QString::number(value)));
            } catch (const RuntimeError& e) {
                QCOMPARE(e.number, 6);
            }
        }
    }
};

QTEST_GUILESS_MAIN(PauseTest)
#include "test_printing_pause.moc"
