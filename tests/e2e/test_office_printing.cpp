// ".uno:PrintDefault" on the real office and a private CUPS scheduler: the job must come out on the
// queue that is the user's default at that moment, whatever the office saw when it started and
// whatever printer the document names.
#include <QtTest>

#include "OfficePass.h"
#include "OdtWriter.h"
#include "cupsd/PrivateCupsd.h"
#include "platform/linux/OfficeLoader.h"

class OfficePrintingTest : public QObject {
    Q_OBJECT
    QTemporaryDir home, docs;
    std::unique_ptr<PrivateCupsd> cupsd;
    std::unique_ptr<Office> office;

    QString document(const QString& name, const QString& text, const QByteArray& settings = {}) {
        const QString path = docs.path() + QLatin1Char('/') + name;
        odt::write(path, {text}, settings);
        return path;
    }

    // The user's default, set as a user sets it.
    static void setDefault(const QString& queue) {
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lpoptions"), {QStringLiteral("-d"), queue}));
    }

    // One pass as the print run makes it.
    void print(const QString& path) {
        OfficePass pass(*office, path);
        pass.print();
        pass.close();
    }

    // Prints and expects exactly one new job, on the queue, holding the text.
    void expectPrintedOn(const QString& queue, const QString& path, const QString& text) {
        QMap<QString, qsizetype> before;
        for (const QString& q : {QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")})
            before[q] = cupsd->keptJobs(q).size();
        print(path);
        cupsd->waitForJobs(queue, int(before[queue] + 1));
        QVERIFY(cupsd->waitUntilIdle());  // a job being kept is listed before it is whole
        const QStringList jobs = cupsd->keptJobs(queue);
        QCOMPARE(jobs.size(), before[queue] + 1);
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            if (it.key() != queue) QVERIFY2(cupsd->keptJobs(it.key()).size() == it.value(), qPrintable(it.key()));
        QVERIFY2(cupsd->jobText(jobs.last()).contains(text), qPrintable(cupsd->jobText(jobs.last())));
    }

private slots:
    void initTestCase() {
        if (!QFile::exists(QStringLiteral("/usr/lib/libreoffice/program/soffice.bin"))) QSKIP("LibreOffice is not installed");
        if (!QFile::exists(QStringLiteral(QUORVANE_PROGRAM_DIR "/quorvane_uno.so"))) QSKIP("the office bridge was not built");
        const QString reason = PrivateCupsd::unavailableReason();
        if (!reason.isEmpty()) QSKIP(qPrintable(reason));
        qputenv("HOME", home.path().toUtf8());  // lpoptions and the office's profile live below HOME
        qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
        qunsetenv("QUORVANE_SOFFICE");
        qputenv("QUORVANE_OFFICE_TIMEOUT", "30");
        cupsd = std::make_unique<PrivateCupsd>();
        QVERIFY2(cupsd->started(), qPrintable(cupsd->error()));
        office = LoadOffice(QStringLiteral(QUORVANE_PROGRAM_DIR));
    }
    void cleanupTestCase() {
        if (office) office->shutdown();
    }

    void theDefaultOfThisMomentWinsOverTheOneTheOfficeStartedWith() {
        setDefault(QStringLiteral("Beta"));
        office->createServiceManager();  // the office starts while Beta is the default
        expectPrintedOn(QStringLiteral("Beta"), document(QStringLiteral("beta.odt"), QStringLiteral("Printed on Beta")),
                        QStringLiteral("Printed on Beta"));
        setDefault(QStringLiteral("Alpha"));
        expectPrintedOn(QStringLiteral("Alpha"), document(QStringLiteral("alpha.odt"), QStringLiteral("Then on Alpha")),
                        QStringLiteral("Then on Alpha"));
        if (QTest::currentTestFailed()) return;
        // The office hands the scheduler PDF; a raw queue keeps it as it came.
        QFile job(cupsd->keptJobs(QStringLiteral("Alpha")).last());
        QVERIFY(job.open(QIODevice::ReadOnly));
        QCOMPARE(job.read(5), QByteArray("%PDF-"));
    }

    void aQueueAddedAfterTheOfficeStartedIsUsed() {
        office->createServiceManager();
        QVERIFY(cupsd->addQueue(QStringLiteral("Gamma"), QStringLiteral("Third floor")));
        setDefault(QStringLiteral("Gamma"));
        expectPrintedOn(QStringLiteral("Gamma"), document(QStringLiteral("gamma.odt"), QStringLiteral("On the new queue")),
                        QStringLiteral("On the new queue"));
        setDefault(QStringLiteral("Beta"));
        expectPrintedOn(QStringLiteral("Beta"), document(QStringLiteral("back.odt"), QStringLiteral("Back on Beta")),
                        QStringLiteral("Back on Beta"));
    }

    void aDocumentsOwnPrinterSettingDoesNotWin() {
        setDefault(QStringLiteral("Alpha"));
        expectPrintedOn(QStringLiteral("Alpha"),
                        document(QStringLiteral("says-beta.odt"), QStringLiteral("Names Beta, prints on Alpha"),
                                 odt::printerSetting(QStringLiteral("Beta"))),
                        QStringLiteral("Names Beta, prints on Alpha"));
    }
};

QTEST_MAIN(OfficePrintingTest)
#include "test_office_printing.moc"
