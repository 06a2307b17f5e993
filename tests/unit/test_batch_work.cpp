// One office's work on the command's documents, against the fake office and printers: what a
// failing document costs, the print options, the office's renewal, and PDFs written whole.
#include <QtTest>

#include "FakePlatform.h"
#include "batch/DocumentWork.h"

namespace {
struct Work {
    FakePlatform fake;
    QTemporaryDir dir;
    PendingFiles pending;
    Work() {
        fake.printers.installed = {"Alpha"};
    }
    QString document(const QString& name) {
        const QString path = dir.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("content");
        return path;
    }
    DocumentWork worker(PrintOptions options = {}, int renewAfter = 0, bool countPages = true) {
        return DocumentWork(fake.platform, {"Alpha", "Alpha", false}, options, renewAfter, countPages);
    }
};

// Runs the hand-over at once, counting the turns taken.
DocumentWork::Turn countingTurn(int& turns) {
    return [&turns](const std::function<void()>& print) {
        ++turns;
        print();
    };
}
}  // namespace

class BatchWorkTest : public QObject {
    Q_OBJECT
private slots:
    // A document that does not load, or is missing, fails with its reason, still takes its turn (the
    // next document's job must not wait for it), and the next document prints.
    void aFailingDocumentCostsOnlyItself() {
        Work w;
        DocumentWork worker = w.worker();
        int turns = 0;
        QCOMPARE(worker.print(w.dir.filePath("missing.odt"), countingTurn(turns), w.pending).outcome, DocumentResult::Outcome::Failed);
        w.fake.office.failing = {"loadComponentFromURL"};
        const DocumentResult broken = worker.print(w.document("broken.odt"), countingTurn(turns), w.pending);
        QCOMPARE(broken.outcome, DocumentResult::Outcome::Failed);
        QVERIFY2(broken.reason.contains("loadComponentFromURL"), qPrintable(broken.reason));
        w.fake.office.failing.clear();
        const DocumentResult good = worker.print(w.document("good.odt"), countingTurn(turns), w.pending);
        QCOMPARE(good.outcome, DocumentResult::Outcome::Queued);
        QCOMPARE(good.printer, QStringLiteral("Alpha"));
        QCOMPARE(good.job, 1);
        QCOMPARE(good.pages, 1);
        QCOMPARE(turns, 3);
        QCOMPARE(w.fake.printers.jobs.size(), 1);
    }

    // Pages are counted for the report only: counting has the office lay the whole document out.
    void pagesAreCountedOnlyWhenAsked() {
        Work w;
        DocumentWork worker = w.worker({}, 0, false);
        int turns = 0;
        const DocumentResult r = worker.print(w.document("a.odt"), countingTurn(turns), w.pending);
        QCOMPARE(r.outcome, DocumentResult::Outcome::Queued);
        QCOMPARE(r.pages, 0);
        QVERIFY(w.fake.logOf({"office pageCount"}).isEmpty());
    }

    // The printer's refusal is the document's failure, never a success.
    void aRefusedJobFails() {
        Work w;
        w.fake.printers.dropping = {"Alpha"};
        w.fake.printers.refusals["Alpha"] = "the printer does not accept jobs";
        int turns = 0;
        const DocumentResult r = w.worker().print(w.document("a.odt"), countingTurn(turns), w.pending);
        QCOMPARE(r.outcome, DocumentResult::Outcome::Failed);
        QVERIFY2(r.reason.contains("does not accept jobs"), qPrintable(r.reason));
    }

    // The pages are the rendering's, copies and sides the job's; without options, the printer's own.
    void printOptionsReachTheRenderingAndTheJob() {
        Work w;
        int turns = 0;
        w.worker({"2-3", {{"copies", "3"}, {"sides", "two-sided-short-edge"}}}).print(w.document("a.odt"), countingTurn(turns), w.pending);
        QVERIFY2(w.fake.logOf({"office storeToURL"}).value(0).contains(
                     R"(FilterOptions={"ExportFormFields":{"type":"boolean","value":"false"},"PageRange":{"type":"string","value":"2-3"}})"),
                 qPrintable(w.fake.logOf({"office storeToURL"}).value(0)));
        QCOMPARE(w.fake.logOf({"printers sendPdf"}), QStringList{"printers sendPdf(Alpha, %PDF-, a.odt, copies=3 sides=two-sided-short-edge)"});
        w.worker().print(w.document("b.odt"), countingTurn(turns), w.pending);
        QVERIFY(!w.fake.logOf({"office storeToURL"}).value(1).contains("PageRange"));
        QCOMPARE(w.fake.logOf({"printers sendPdf"}).value(1), QStringLiteral("printers sendPdf(Alpha, %PDF-, b.odt, )"));
    }

    // Other offices wait for the turn: it holds only the hand-over of the rendered job to the printer;
    // loading, rendering and closing are done outside it. The rendering passes through the run's spool
    // folder, which is the user's alone and keeps nothing once the job is handed over.
    void onlyHandingTheJobOverTakesTheTurn() {
        Work w;
        w.fake.printers.refusals["Alpha"] = "the printer is stopped";
        int turns = 0;
        const DocumentWork::Turn logged = [&](const std::function<void()>& print) {
            w.fake.log << QStringLiteral("turn begins");
            countingTurn(turns)(print);
            w.fake.log << QStringLiteral("turn ends");
        };
        // A job on a stopped printer is queued like any: what becomes of it is followed later.
        const DocumentResult r = w.worker().print(w.document("a.odt"), logged, w.pending);
        QCOMPARE(r.outcome, DocumentResult::Outcome::Queued);
        QCOMPARE(r.job, 1);
        QCOMPARE(w.fake.logOf({"turn", "office loadComponentFromURL", "office storeToURL", "printers sendPdf", "office close"})
                     .replaceInStrings(QRegularExpression("\\(.*"), QString()),
                 QStringList({"office loadComponentFromURL", "office storeToURL", "turn begins", "printers sendPdf",
                              "turn ends", "office close"}));
        QString why;
        const QString spool = w.pending.spool(&why);
        QVERIFY(w.fake.logOf({"office storeToURL"}).first().contains(QUrl::fromLocalFile(spool).toString(QUrl::FullyEncoded)));
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::WriteOther | QFile::ExeOther;
        QVERIFY(!(QFileInfo(spool).permissions() & others));
        QVERIFY(QDir(spool).entryList(QDir::Files | QDir::Hidden).isEmpty());
        w.pending.removeAll();
        QVERIFY(!QFileInfo::exists(spool));
    }

    void theOfficeIsRenewedAfterEveryNDocuments() {
        Work w;
        DocumentWork worker = w.worker({}, 2);
        int turns = 0;
        for (int i = 0; i < 5; ++i) worker.print(w.document(QStringLiteral("d%1.odt").arg(i)), countingTurn(turns), w.pending);
        QCOMPARE(w.fake.logOf({"office shutdown"}).size(), 2);
    }

    // The PDF appears under its name only whole; a failed export leaves no file at all.
    void aPdfIsWrittenWholeOrNotAtAll() {
        Work w;
        DocumentWork worker = w.worker();
        PendingFiles pending;
        const QString pdf = w.dir.filePath("out/a.pdf");
        QDir().mkpath(w.dir.filePath("out"));
        const DocumentResult written = worker.writePdf(w.document("a.odt"), pdf, pending);
        QCOMPARE(written.outcome, DocumentResult::Outcome::Written);
        QCOMPARE(written.pdf, pdf);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("%PDF-"));
        QVERIFY(pending.isPublished(pdf));
        QVERIFY(w.fake.logOf({"office storeToURL"}).first().contains("FilterName=writer_pdf_Export"));

        w.fake.office.failing = {"storeToURL"};
        const DocumentResult failed = worker.writePdf(w.document("b.odt"), w.dir.filePath("out/b.pdf"), pending);
        QCOMPARE(failed.outcome, DocumentResult::Outcome::Failed);
        QCOMPARE(QDir(w.dir.filePath("out")).entryList(QDir::Files | QDir::Hidden), QStringList{"a.pdf"});
    }

    // Ctrl-C removes the PDFs not yet whole, and the lock file of the office that was writing one; a
    // PDF whose export ends afterwards gets no name, and no new one is begun.
    void anInterruptionLeavesNoPartialPdf() {
        QTemporaryDir dir;
        PendingFiles pending;
        QString why;
        const QString half = pending.reserve(dir.path(), &why);
        QVERIFY(QFileInfo(half).fileName().startsWith(QLatin1Char('.')) && QFile::exists(half));
        QFile lock(dir.filePath(QStringLiteral(".~lock.%1#").arg(QFileInfo(half).fileName())));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.close();
        pending.removeAll();
        QVERIFY(!QFile::exists(half));
        QVERIFY(pending.reserve(dir.path(), &why).isEmpty());
        QVERIFY(!pending.publish(half, dir.filePath("late.pdf")).isEmpty());
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
};

QTEST_GUILESS_MAIN(BatchWorkTest)
#include "test_batch_work.moc"
