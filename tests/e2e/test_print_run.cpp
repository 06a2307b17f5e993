// Whole print runs of the real program code on the real office and a private CUPS scheduler:
// every document must come out on the chosen queue, in list order, whatever the office went through.
#include <QtTest>
#include <csignal>

#include "OdtWriter.h"
#include "PrintWindow.h"

class PrintRunTest : public QObject {
    Q_OBJECT
    PrivateHome home;
    std::unique_ptr<PrivateCupsd> cups;
    QTemporaryDir docs;

    QString document(const QString& name, const QString& text, const QByteArray& settings = {}) {
        const QString path = docs.path() + QLatin1Char('/') + name;
        odt::write(path, {text}, settings);
        return path;
    }

    void expectJobs(const QString& queue, int already, const QStringList& texts) {
        const QStringList jobs = cups->waitForJobs(queue, already + int(texts.size()), 60000).mid(already);
        QCOMPARE(jobs.size(), texts.size());
        for (int i = 0; i < texts.size(); ++i) QVERIFY2(cups->jobText(jobs[i]).contains(texts[i]), qPrintable(texts[i]));
    }

private slots:
    void initTestCase() {
        if (const QString why = WhyNoPrivatePrinting(); !why.isEmpty()) QSKIP(qPrintable(why));
        cups = std::make_unique<PrivateCupsd>();
        QVERIFY(cups->started());
        qputenv("QUORVANE_OFFICE_TIMEOUT", "20");
    }

    // First, while nothing is stored: the printer box shows the default printer.
    void theSamplesPrintOnTheDefaultPrinter() {
        CupsPrinters().setDefaultPrinter(QStringLiteral("Alpha"));
        PrintWindow w;
        QCOMPARE(w.form.Combo1->currentText(), QStringLiteral("Alpha"));
        w.form.PushButton7_Click();  // the question about opening the folder is answered No
        const int samples = w.form.ListView1->count();
        QVERIFY(samples >= 4);
        const int before = int(cups->keptJobs(QStringLiteral("Alpha")).size());
        w.form.PushButton2_Click();
        const QStringList jobs = cups->waitForJobs(QStringLiteral("Alpha"), before + samples, 90000).mid(before);
        QCOMPARE(int(jobs.size()), samples);
        for (const QString& job : jobs) QVERIFY(!cups->jobText(job).trimmed().isEmpty());
        QCOMPARE(w.real.dialogs.texts().last(), QStringLiteral("Done."));
    }

    void threeDocumentsComeOutOnTheChosenQueueInListOrder() {
        PrintWindow w;
        w.real.printers.setDefaultPrinter(QStringLiteral("Beta"));
        const int before = int(cups->keptJobs(QStringLiteral("Alpha")).size());
        w.print({document(QStringLiteral("one.odt"), QStringLiteral("First of three")),
                 document(QStringLiteral("two.odt"), QStringLiteral("Second of three")),
                 document(QStringLiteral("three.odt"), QStringLiteral("Third of three"))},
                QStringLiteral("Alpha"));
        expectJobs(QStringLiteral("Alpha"), before,
                   {QStringLiteral("First of three"), QStringLiteral("Second of three"), QStringLiteral("Third of three")});
        QCOMPARE(w.real.printers.defaultPrinter(), QStringLiteral("Beta"));
        QCOMPARE(w.real.dialogs.texts(), QStringList{QStringLiteral("Done.")});
    }

    void aWarmOfficeFollowsTheDefaultChosenAfterItStarted() {
        PrintWindow w;  // start-up has started the office while Beta was the default
        w.real.printers.setDefaultPrinter(QStringLiteral("Beta"));
        const int alpha = int(cups->keptJobs(QStringLiteral("Alpha")).size());
        const int beta = int(cups->keptJobs(QStringLiteral("Beta")).size());
        w.print({document(QStringLiteral("warm-a.odt"), QStringLiteral("Warm to Alpha"))}, QStringLiteral("Alpha"));
        expectJobs(QStringLiteral("Alpha"), alpha, {QStringLiteral("Warm to Alpha")});
        w.form.ListView1->clear();
        w.print({document(QStringLiteral("warm-b.odt"), QStringLiteral("Warm to Beta"))}, QStringLiteral("Beta"));
        expectJobs(QStringLiteral("Beta"), beta, {QStringLiteral("Warm to Beta")});
        QCOMPARE(int(cups->keptJobs(QStringLiteral("Alpha")).size()), alpha + 1);
    }

    void aQueueAddedAfterTheOfficeStartedIsUsed() {
        PrintWindow w;
        QVERIFY(cups->addQueue(QStringLiteral("Gamma")));
        // The printer box is filled at start-up; a new window sees the new queue.
        PrintWindow later;
        later.print({document(QStringLiteral("gamma.odt"), QStringLiteral("Late queue"))}, QStringLiteral("Gamma"));
        expectJobs(QStringLiteral("Gamma"), 0, {QStringLiteral("Late queue")});
    }

    void aDocumentsOwnPrinterSettingDoesNotWin() {
        PrintWindow w;
        const int alpha = int(cups->keptJobs(QStringLiteral("Alpha")).size());
        const int beta = int(cups->keptJobs(QStringLiteral("Beta")).size());
        w.print({document(QStringLiteral("own-printer.odt"), QStringLiteral("Says Beta, goes to Alpha"),
                          odt::printerSetting(QStringLiteral("Beta")))},
                QStringLiteral("Alpha"));
        expectJobs(QStringLiteral("Alpha"), alpha, {QStringLiteral("Says Beta, goes to Alpha")});
        QCOMPARE(int(cups->keptJobs(QStringLiteral("Beta")).size()), beta);
    }

    void aNameWithUrlCharactersPrints() {
        PrintWindow w;
        const int alpha = int(cups->keptJobs(QStringLiteral("Alpha")).size());
        w.print({document(QStringLiteral("Q&A #3 'final' (2).odt"), QStringLiteral("Questions and answers"))},
                QStringLiteral("Alpha"));
        expectJobs(QStringLiteral("Alpha"), alpha, {QStringLiteral("Questions and answers")});
        QCOMPARE(w.real.dialogs.texts(), QStringList{QStringLiteral("Done.")});
    }

    void aKilledOfficeCostsNoDocument() {
        PrintWindow w;
        const int alpha = int(cups->keptJobs(QStringLiteral("Alpha")).size());
        // Kill the office while the first document's pass waits after printing.
        QTimer::singleShot(2500, [] {
            for (const qint64 pid : OfficeProcesses()) ::kill(pid_t(pid), SIGKILL);
        });
        w.print({document(QStringLiteral("k1.odt"), QStringLiteral("Before the crash")),
                 document(QStringLiteral("k2.odt"), QStringLiteral("After the crash one")),
                 document(QStringLiteral("k3.odt"), QStringLiteral("After the crash two"))},
                QStringLiteral("Alpha"));
        QVERIFY(cups->waitForJobs(QStringLiteral("Alpha"), alpha + 2, 60000).size() >= alpha + 2);
        QString texts;
        for (const QString& job : cups->keptJobs(QStringLiteral("Alpha")).mid(alpha)) texts += cups->jobText(job);
        QVERIFY(texts.contains(QStringLiteral("After the crash one")));
        QVERIFY(texts.contains(QStringLiteral("After the crash two")));
        QCOMPARE(w.real.dialogs.texts().last(), QStringLiteral("Done."));
    }

    void aHangingOfficeIsReportedAndTheRunGoesOn() {
        qputenv("QUORVANE_OFFICE_TIMEOUT", "5");
        PrintWindow w;
        const int alpha = int(cups->keptJobs(QStringLiteral("Alpha")).size());
        // Stop the office while the first pass waits, so that closing the document hangs.
        QTimer::singleShot(2500, [] {
            for (const qint64 pid : OfficeProcesses()) ::kill(pid_t(pid), SIGSTOP);
        });
        w.print({document(QStringLiteral("h1.odt"), QStringLiteral("Hang first")),
                 document(QStringLiteral("h2.odt"), QStringLiteral("Hang second"))},
                QStringLiteral("Alpha"));
        qputenv("QUORVANE_OFFICE_TIMEOUT", "20");
        const QStringList texts = w.real.dialogs.texts();
        QVERIFY2(texts.size() >= 2, qPrintable(texts.join(QLatin1Char('|'))));
        QVERIFY(texts.first().contains(QStringLiteral("Form1.PushButton2_Click")));
        QCOMPARE(texts.last(), QStringLiteral("Done."));
        QVERIFY(cups->waitForJobs(QStringLiteral("Alpha"), alpha + 1, 60000).size() >= alpha + 1);
        QString printed;
        for (const QString& job : cups->keptJobs(QStringLiteral("Alpha")).mid(alpha)) printed += cups->jobText(job);
        QVERIFY(printed.contains(QStringLiteral("Hang second")));
    }

    void nothingIsLeftBehind() {
        {
            PrintWindow w;
            w.real.printers.setDefaultPrinter(QStringLiteral("Beta"));
            w.print({document(QStringLiteral("last.odt"), QStringLiteral("Last one"))}, QStringLiteral("Alpha"));
            QCOMPARE(w.real.printers.defaultPrinter(), QStringLiteral("Beta"));
        }
        QTRY_VERIFY_WITH_TIMEOUT(OfficeProcesses().isEmpty(), 10000);
    }
};

QTEST_MAIN(PrintRunTest)
#include "test_print_run.moc"
