// What the command makes of its jobs after the printing system took them: how each ends, the printer's
// options checked before the run, and an earlier report's failed documents taken up again, against the
// fake printers.
#include <QtTest>

#include "FakePlatform.h"
#include "batch/JobFollower.h"
#include "batch/Retry.h"
#include "engine/JobEnd.h"
#include "engine/JobOptions.h"

namespace {
PrintJob jobIn(PrintJob::State state, const QString& reasons = {}) { return {7, "Beta", state, {}, reasons}; }
PrinterState stopped(const QString& message) { return {true, true, true, "paused, toner-empty-error", message}; }
}  // namespace

class JobFollowingTest : public QObject {
    Q_OBJECT
private slots:
    // Only completed is printed; aborted and canceled fail with the printing system's words; held or
    // stopped waits, and a job on its way on a working printer is followed on.
    void aJobEndsAsThePrintingSystemSays() {
        QCOMPARE(EndOfJob(jobIn(PrintJob::State::Completed), {})->kind, JobEnd::Kind::Printed);
        const auto aborted = EndOfJob(jobIn(PrintJob::State::Aborted, "aborted-by-system"), stopped("paper jam"));
        QCOMPARE(aborted->kind, JobEnd::Kind::Failed);
        QVERIFY2(aborted->reason.contains("job 7 on \"Beta\" was aborted") && aborted->reason.contains("aborted-by-system") &&
                     aborted->reason.contains("toner-empty-error") && aborted->reason.contains("paper jam"),
                 qPrintable(aborted->reason));
        QCOMPARE(EndOfJob(jobIn(PrintJob::State::Cancelled), {})->kind, JobEnd::Kind::Failed);
        QCOMPARE(EndOfJob(jobIn(PrintJob::State::Held, "job-hold-until-specified"), {})->kind, JobEnd::Kind::Waiting);
        const auto waits = EndOfJob(jobIn(PrintJob::State::Pending), stopped("out of toner"));
        QCOMPARE(waits->kind, JobEnd::Kind::Waiting);
        QVERIFY2(waits->reason.contains("the printer is stopped") && waits->reason.contains("out of toner"), qPrintable(waits->reason));
        QVERIFY(!EndOfJob(jobIn(PrintJob::State::Pending), {}));
        QVERIFY(!EndOfJob(jobIn(PrintJob::State::Processing), {}));
        QCOMPARE(StillOnItsWay(jobIn(PrintJob::State::Processing), {}, 30).kind, JobEnd::Kind::Waiting);
    }

    // A value outside the printer's list is refused with the list; an option it lists nothing for is
    // passed on with a warning.
    void optionsAreCheckedAgainstThePrintersList() {
        FakePlatform fake;
        fake.printers.supported["print-color-mode"] = QStringList{"monochrome", "color"};
        const OptionsVerdict verdict = CheckJobOptions(fake.printers, "Beta", "beta",
                                                       {{"print-color-mode", "monochrome"}, {"print-color-mode", "sepia"}, {"media", "a4"}});
        QCOMPARE(verdict.refused.size(), 1);
        QVERIFY2(verdict.refused[0].contains("print-color-mode=sepia") && verdict.refused[0].contains("monochrome, color"),
                 qPrintable(verdict.refused[0]));
        QCOMPARE(verdict.warnings.size(), 1);
        QVERIFY(verdict.warnings[0].contains("media"));
        QCOMPARE(ParseJobOption("number-up=2"), (std::optional<JobOption>{{"number-up", "2"}}));
        QCOMPARE(ParseJobOption("a=b=c")->second, QStringLiteral("b=c"));
    }

    // Only failed documents come back; one whose job printed after all, or still waits, is not sent again.
    void aRetryNeverSendsAJobTwice() {
        FakePlatform fake;
        fake.printers.jobs = {{3, "Beta", PrintJob::State::Completed}, {4, "Beta", PrintJob::State::Pending},
                              {5, "Beta", PrintJob::State::Aborted}};
        const QByteArray report = R"({"printer": "Beta", "documents": [
            {"path": "/d/ok.odt", "outcome": "printed", "printer": "Beta", "job": 2},
            {"path": "/d/later.odt", "outcome": "failed", "printer": "Beta", "job": 3},
            {"path": "/d/waits.odt", "outcome": "failed", "printer": "Beta", "job": 4},
            {"path": "/d/aborted.odt", "outcome": "failed", "printer": "Beta", "job": 5},
            {"path": "/d/forgotten.odt", "outcome": "failed", "printer": "Beta", "job": 99},
            {"path": "/d/broken.odt", "outcome": "failed"}]})";
        const RetryPlan plan = PlanRetry(report, fake.printers);
        QCOMPARE(plan.printer, QStringLiteral("Beta"));
        QCOMPARE(plan.documents, (QStringList{"/d/later.odt", "/d/waits.odt", "/d/aborted.odt", "/d/forgotten.odt", "/d/broken.odt"}));
        QCOMPARE(plan.settled[0]->outcome, DocumentResult::Outcome::Printed);
        QCOMPARE(plan.settled[1]->outcome, DocumentResult::Outcome::Queued);
        QCOMPARE(plan.settled[1]->job, 4);
        QVERIFY(!plan.settled[2] && !plan.settled[3] && !plan.settled[4]);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, PlanRetry("not json", fake.printers));
    }

    // Jobs are settled as they end, a job on a stopped printer as waiting at once, and one that does not
    // end within the bound as waiting once the bound is over.
    void theFollowerSettlesEveryJob() {
        FakePlatform fake;
        fake.printers.installed = {"Beta", "Gamma"};
        fake.printers.refusals["Gamma"] = "out of toner";
        fake.printers.jobs = {{1, "Beta", PrintJob::State::Processing}, {2, "Gamma", PrintJob::State::Pending},
                              {3, "Beta", PrintJob::State::Pending}};
        std::mutex mutex;
        QMap<int, DocumentResult> settled;
        int looks = 0;
        fake.printers.onAsked = [&](PrintJob& job) {
            if (job.id == 1 && ++looks > 3) job.state = PrintJob::State::Completed;
        };
        {
            JobFollower follower(fake.printers, 1, [&](int position, const DocumentResult& r) {
                std::lock_guard lock(mutex);
                settled[position] = r;
            });
            for (int id = 1; id <= 3; ++id)
                follower.follow(id - 1, {"/d/" + QString::number(id), DocumentResult::Outcome::Queued, id == 2 ? "Gamma" : "Beta", id});
            follower.finish();
        }
        QCOMPARE(settled.size(), 3);
        QCOMPARE(settled[0].outcome, DocumentResult::Outcome::Printed);
        QCOMPARE(settled[1].outcome, DocumentResult::Outcome::Waiting);
        QVERIFY2(settled[1].reason.contains("out of toner"), qPrintable(settled[1].reason));
        QCOMPARE(settled[2].outcome, DocumentResult::Outcome::Waiting);
        QVERIFY2(settled[2].reason.contains("still pending after 1 s"), qPrintable(settled[2].reason));
    }
};

QTEST_GUILESS_MAIN(JobFollowingTest)
#include "test_job_following.moc"
