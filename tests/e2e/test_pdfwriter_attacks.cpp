// The "Vendrell PDF Writer" printer attacked by local users of a private scheduler: another user
// racing the backend in a folder both may write, a job that speaks the scheduler's status
// language, a job owner stopping or killing the process that enforces the time limit, and an
// installation on a scheduler that cannot tell users apart.
#include <QtTest>

#include <dirent.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>

#include "cupsd/PdfWriterJobs.h"

namespace {
constexpr int RaceJobs = 20;

// Runs body as user in a child process until stop() (plain system calls only after the fork).
class Attacker {
public:
    Attacker(const QString& user, const std::function<void()>& body) {
        const passwd* account = getpwnam(user.toUtf8().constData());
        const uid_t uid = account->pw_uid;
        const gid_t gid = account->pw_gid;
        pid_ = fork();
        if (pid_ == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) _exit(1);
            for (;;) body();
        }
    }
    ~Attacker() { stop(); }
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }

private:
    pid_t pid_ = 0;
};

// Every entry of folder whose name starts with prefix, as it is now.
std::vector<std::string> EntriesStartingWith(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.rfind(prefix, 0) == 0 && name != "." && name != ".." && entry->d_type != DT_LNK) names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}
}  // namespace

class PdfWriterAttacksTest : public QObject, PdfWriterTestBed {
    Q_OBJECT
    QString victim, attacker, shared;

    QString printerState() const {
        QString out;
        PrivateCupsd::runTool(QStringLiteral("lpstat"), {QStringLiteral("-p"), PdfWriterJobs::Queue}, &out);
        return out;
    }
    // A victim's file that the attacks aim at.
    QString victimFile() const {
        const QString path = PdfWriterJobs::homeOf(victim) + QStringLiteral("/.bashrc");
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write("victim's own settings\n");
        file.close();
        PdfWriterJobs::chownTo(victim, path);
        return path;
    }
    // Waits for the backend process that works as user; 0 when none came.
    static pid_t workerOf(const QString& user) {
        QList<pid_t> found;
        PrivateCupsd::waitFor([&] { return !(found = PdfWriterJobs::processes(PdfWriterJobs::uidOf(user), "vendrellpdf")).isEmpty(); },
                              30000);
        return found.isEmpty() ? 0 : found.first();
    }
    static bool signalAs(const QString& user, pid_t pid, const QString& signal) {
        return PrivateCupsd::runTool(QStringLiteral("runuser"), {QStringLiteral("-u"), user, QStringLiteral("--"), QStringLiteral("kill"),
                                                                 QStringLiteral("-") + signal, QString::number(pid)});
    }
    // While the victim's job hangs in the queue, a job of another user is still written within seconds.
    bool anotherUsersJobIsWrittenSoon(const QString& name) {
        const QString target = PdfWriterJobs::userFolder(attacker, QStringLiteral("own")) + QLatin1Char('/') + name;
        const int job = PdfWriterJobs::submit(attacker, PdfWriterJobs::postScript(name), name, true);
        PdfWriterJobs::writeValues(attacker, {QStringLiteral("BypassSaveAs=1"), QStringLiteral("OutputFile.%1=").arg(job) + target});
        return job && PdfWriterJobs::release(attacker, job) &&
               PrivateCupsd::waitFor([&] { return PdfWriterJobs::content(target).startsWith("%PDF-"); }, 20000);
    }

private slots:
    void initTestCase() {
        if (const QString reason = PdfWriterJobs::unavailableReason(); !reason.isEmpty()) QSKIP(qPrintable(reason));
        QVERIFY2(start(), qPrintable(cupsd->error()));
        victim = cupsd->testUser();
        attacker = cupsd->attackerUser();
        // A folder both may write, without the sticky bit: each may rename the other's entries.
        shared = cupsd->dir() + QStringLiteral("/shared");
        QVERIFY(QDir().mkpath(shared + QStringLiteral("/sub")));
        QVERIFY(chmod(shared.toUtf8().constData(), 0777) == 0);
        QVERIFY(chmod((shared + QStringLiteral("/sub")).toUtf8().constData(), 0777) == 0);
    }

    // The attacker swaps every temporary file the backend shows in the shared folder for a link to
    // the victim's file, or swaps the target's folder for a link to the victim's home, while the
    // victim's jobs run. Each job is written where it was bound or fails; the victim's files stay.
    void racingSwapsNeverRedirectTheVictimsJobs_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("swapFolder");
        QTest::newRow("temporary file") << shared + QStringLiteral("/report.pdf") << false;
        QTest::newRow("folder") << shared + QStringLiteral("/sub/report.pdf") << true;
    }
    void racingSwapsNeverRedirectTheVictimsJobs() {
        QFETCH(QString, target);
        QFETCH(bool, swapFolder);
        const QString bashrc = victimFile();
        const QByteArray original = PdfWriterJobs::content(bashrc);
        const std::string folder = QFileInfo(target).path().toStdString(), sharedPath = shared.toStdString();
        const std::string link = bashrc.toStdString(), victimHome = PdfWriterJobs::homeOf(victim).toStdString();
        int serial = 0;
        Attacker attack(attacker, [&] {
            if (swapFolder) {
                const std::string sub = sharedPath + "/sub", aside = sharedPath + "/sub-aside";
                if (rename(sub.c_str(), aside.c_str()) == 0 && symlink(victimHome.c_str(), sub.c_str()) == 0) {
                    usleep(500);
                    unlink(sub.c_str());
                    rename(aside.c_str(), sub.c_str());
                }
                usleep(500);
                return;
            }
            for (const std::string& name : EntriesStartingWith(folder, ".")) {
                const std::string path = folder + "/" + name;
                if (rename(path.c_str(), (folder + "/stolen-" + std::to_string(++serial)).c_str()) == 0)
                    symlink(link.c_str(), path.c_str());
            }
        });
        int redirected = 0, written = 0;
        for (int i = 0; i < RaceJobs; ++i) {
            QVERIFY(jobs->printTo(victim, PdfWriterJobs::postScript(QStringLiteral("race %1").arg(i)), QStringLiteral("race"), target));
            if (PdfWriterJobs::content(bashrc) != original) {
                ++redirected;
                QFile::remove(bashrc);
                victimFile();
            }
            const QFileInfo published(target);
            if (published.isFile() && !published.isSymLink() && published.ownerId() == PdfWriterJobs::uidOf(victim) &&
                cupsd->jobText(target).contains(QStringLiteral("race %1").arg(i)))
                ++written;
            QFile::remove(target);
        }
        attack.stop();
        const QStringList strays = QDir(QString::fromStdString(victimHome)).entryList({QStringLiteral("*.pdf"), QStringLiteral(".vendrellpdf*")},
                                                                                      QDir::Files | QDir::Hidden);
        qInfo("%d jobs: %d redirected to the victim's file, %d written at the target, strays in the home: %s", RaceJobs,
              redirected, written, qPrintable(strays.join(QLatin1Char(' '))));
        QCOMPARE(redirected, 0);
        QCOMPARE(strays, QStringList());
        QCOMPARE(PdfWriterJobs::content(bashrc), original);
        // A job that lost the race says so instead of reporting success: its file changed, its folder is a
        // link, or the temporary file it was to rename was taken away.
        const QString log = cupsd->log();
        if (written < RaceJobs)
            QVERIFY2(log.contains(QStringLiteral("changed while the job was written")) ||
                         log.contains(QStringLiteral("link of another user")) ||
                         log.contains(QStringLiteral("cannot write %1/").arg(QFileInfo(target).path())),
                     qPrintable(log.right(3000)));
    }

    // A PostScript job that prints the scheduler's status lines changes nothing of the printer.
    void aJobCannotSpeakToTheScheduler() {
        const QString target = PdfWriterJobs::userFolder(victim, QStringLiteral("injection")) + QStringLiteral("/injected.pdf");
        const QByteArray job = "%!PS\n(\\nSTATE: +paused\\nATTR: marker-names=Injected\\nCRIT: forged entry\\n) print flush\n"
                               "(STATE: +paused\\n) =\n" + PdfWriterJobs::postScript(QStringLiteral("injected")).mid(5);
        QVERIFY(jobs->printTo(victim, job, QStringLiteral("injected"), target));
        const QString state = printerState();
        PrivateCupsd::runTool(QStringLiteral("cupsenable"), {PdfWriterJobs::Queue});  // for the next tests, whatever happened
        QVERIFY2(!state.contains(QStringLiteral("disabled")), qPrintable(state));
        QVERIFY(cupsd->jobText(target).contains(QStringLiteral("injected")));
        QVERIFY(!cupsd->log().contains(QStringLiteral("forged entry")) ||
                cupsd->log().contains(QRegularExpression(QStringLiteral("D \\[.*gs: .*forged entry"))));
        QString attributes;
        PrivateCupsd::runTool(QStringLiteral("lpoptions"), {QStringLiteral("-p"), PdfWriterJobs::Queue}, &attributes);
        QVERIFY2(!attributes.contains(QStringLiteral("Injected")), qPrintable(attributes));
        QVERIFY(anotherUsersJobIsWrittenSoon(QStringLiteral("after-injection.pdf")));
    }

    // The owner of an endless job stops or kills the backend process that works in their name:
    // the next job of another user is written within seconds, and no converter is left behind.
    void theJobOwnerCannotHoldTheQueue_data() {
        QTest::addColumn<QString>("signal");
        QTest::addColumn<QByteArray>("process");
        QTest::newRow("SIGSTOP to the worker") << QStringLiteral("STOP") << QByteArray("vendrellpdf");
        QTest::newRow("SIGKILL to the worker") << QStringLiteral("KILL") << QByteArray("vendrellpdf");
        QTest::newRow("SIGSTOP to the converter") << QStringLiteral("STOP") << QByteArray("gs");
    }
    void theJobOwnerCannotHoldTheQueue() {
        QFETCH(QString, signal);
        QFETCH(QByteArray, process);
        const QString target = PdfWriterJobs::userFolder(victim, QStringLiteral("endless")) + QStringLiteral("/endless.pdf");
        const int job = PdfWriterJobs::submit(victim, "%!PS\n{} loop\n", QStringLiteral("endless"), true);
        PdfWriterJobs::writeValues(victim, {QStringLiteral("BypassSaveAs=1"), QStringLiteral("OutputFile.%1=").arg(job) + target});
        QVERIFY(PdfWriterJobs::release(victim, job));
        const pid_t worker = workerOf(victim);
        QVERIFY(worker > 0);
        QVERIFY(PrivateCupsd::waitFor([&] { return !PdfWriterJobs::processes(PdfWriterJobs::uidOf(victim), "gs").isEmpty(); }, 30000));
        QVERIFY(signalAs(victim, PdfWriterJobs::processes(PdfWriterJobs::uidOf(victim), process).value(0), signal));
        const bool written = anotherUsersJobIsWrittenSoon(QStringLiteral("after-%1-%2.pdf").arg(signal, QString::fromLatin1(process)));
        const bool converterEnded =
            PrivateCupsd::waitFor([&] { return PdfWriterJobs::processes(PdfWriterJobs::uidOf(victim), "gs").isEmpty(); }, 10000);
        // Leave no hanging job or process for the next test, whatever happened.
        kill(worker, SIGKILL);
        PrivateCupsd::runTool(QStringLiteral("cancel"), {QStringLiteral("-a"), PdfWriterJobs::Queue});
        for (const pid_t gs : PdfWriterJobs::processes(PdfWriterJobs::uidOf(victim), "gs")) kill(gs, SIGKILL);
        cupsd->waitUntilIdle();
        PrivateCupsd::runTool(QStringLiteral("cupsenable"), {PdfWriterJobs::Queue});
        QVERIFY(written);
        QVERIFY(converterEnded);
        QVERIFY(!QFile::exists(target));
    }

    // On a scheduler whose configuration lacks the "authenticated" policy, the installer adds it
    // and restarts the scheduler before the queue takes any job: nobody prints in another's name.
    void theInstallerNeverLeavesAQueueWithoutTheOwnerCheck() {
        QVERIFY(PrivateCupsd::runTool(QStringLiteral("lpadmin"), {QStringLiteral("-x"), PdfWriterJobs::Queue}));
        const QString conf = cupsd->dir() + QStringLiteral("/etc/cupsd.conf");
        QString text = QString::fromUtf8(PdfWriterJobs::content(conf));
        text.remove(QRegularExpression(QStringLiteral("<Policy authenticated>.*?</Policy>\\n"),
                                       QRegularExpression::DotMatchesEverythingOption));
        // A scheduler that stops a printer whose job failed, as CUPS does by default.
        text.replace(QStringLiteral("ErrorPolicy abort-job"), QStringLiteral("ErrorPolicy stop-printer"));
        QFile file(conf);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
        file.close();
        const pid_t scheduler = PdfWriterJobs::content(cupsd->dir() + QStringLiteral("/cupsd.pid")).trimmed().toInt();
        QVERIFY(kill(scheduler, SIGHUP) == 0);
        // The scheduler refuses a queue with a policy it does not know.
        const QStringList probe{QStringLiteral("-p"), QStringLiteral("Probe"), QStringLiteral("-v"), QStringLiteral("keepjob:/"),
                                QStringLiteral("-m"), QStringLiteral("raw"), QStringLiteral("-o"),
                                QStringLiteral("printer-op-policy=authenticated")};
        QVERIFY(PrivateCupsd::waitFor([&] { return !PrivateCupsd::runTool(QStringLiteral("lpadmin"), probe); }, 20000));

        QVERIFY2(PdfWriterJobs::install(*cupsd), qPrintable(cupsd->error()));
        QVERIFY(PdfWriterJobs::content(conf).contains("<Policy authenticated>"));
        // A backend that crashes fails its own job only: the printer goes on,
        // though this scheduler stops a printer by default.
        const int endless = PdfWriterJobs::submit(victim, "%!PS\n{} loop\n", QStringLiteral("endless"), true);
        PdfWriterJobs::writeValues(victim, {QStringLiteral("OutputFile.%1=").arg(endless) +
                                                PdfWriterJobs::userFolder(victim, QStringLiteral("crash")) + QStringLiteral("/never.pdf")});
        QVERIFY(PdfWriterJobs::release(victim, endless));
        QList<pid_t> supervisors;
        QVERIFY(PrivateCupsd::waitFor([&] {
            supervisors = PdfWriterJobs::processes(0, "vendrellpdf");
            supervisors.removeIf([&](pid_t pid) {
                return !PdfWriterJobs::content(QStringLiteral("/proc/%1/status").arg(pid)).contains("\nPPid:\t" + QByteArray::number(scheduler) + "\n");
            });
            return !supervisors.isEmpty();
        }, 30000));
        QVERIFY(kill(supervisors.first(), SIGSEGV) == 0);  // the scheduler takes SIGKILL for its own cancel
        QVERIFY(cupsd->waitUntilIdle());
        QVERIFY2(!printerState().contains(QStringLiteral("disabled")), qPrintable(printerState()));
        // The attacker cannot send a job in the victim's name; the victim's own jobs are written.
        const QString target = PdfWriterJobs::userFolder(victim, QStringLiteral("installed")) + QStringLiteral("/mine.pdf");
        PdfWriterJobs::writeValues(victim, {QStringLiteral("BypassSaveAs=0")});
        QString out;
        QVERIFY(!PrivateCupsd::runTool(QStringLiteral("runuser"), {QStringLiteral("-u"), attacker, QStringLiteral("--"), QStringLiteral("lp"),
                                                                   QStringLiteral("-d"), PdfWriterJobs::Queue, QStringLiteral("-U"), victim,
                                                                   QStringLiteral("-")},
                                       &out, PdfWriterJobs::postScript(QStringLiteral("spoofed"))));
        QVERIFY(jobs->printTo(victim, PdfWriterJobs::postScript(QStringLiteral("own job")), QStringLiteral("own"), target));
        QVERIFY(cupsd->jobText(target).contains(QStringLiteral("own job")));
    }

    void cleanupTestCase() {
        jobs.reset();
        cupsd.reset();
    }
};

QTEST_GUILESS_MAIN(PdfWriterAttacksTest)
#include "test_pdfwriter_attacks.moc"
