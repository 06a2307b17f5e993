// The watchdog that bounds office calls, on a stand-in for the office's progress: an office that works
// is left alone up to twenty bounds, and one that stops is ended a bound after its last work, not after
// a bound of its own on top of the one it worked in.
#include <QElapsedTimer>
#include <QtTest>
#include <atomic>

#include "platform/linux/uno/CallWatchdog.h"

using namespace std::chrono_literals;

class CallWatchdogTest : public QObject {
    Q_OBJECT

    // Milliseconds from the call's start to its overrun; -1 when none came within `watchFor`.
    static qint64 overrunAfter(std::chrono::milliseconds workFor, std::chrono::milliseconds watchFor,
                               std::chrono::milliseconds bound = 1s) {
        CallWatchdog watchdog;
        QElapsedTimer timer;
        timer.start();
        std::atomic<qint64> overrun{-1};
        qint64 lastAsked = 0;
        {
            // As the office's processor time tells it: whether it worked since it was last asked.
            CallWatchdog::Scope call(watchdog, bound, [&] { overrun = timer.elapsed(); }, [&] {
                const bool worked = lastAsked < workFor.count();
                lastAsked = timer.elapsed();
                return worked;
            });
            while (overrun < 0 && timer.elapsed() < watchFor.count()) QThread::msleep(10);
        }
        return overrun;
    }

private slots:
    void aCallOverrunsABoundAfterTheOfficesLastWork() {
        const qint64 stopped = overrunAfter(-1ms, 3s);
        QVERIFY2(stopped >= 1000 && stopped < 1500, qPrintable(QString::number(stopped)));
        // Hung after 0.3 s of work: ended a bound later, at about 1.5 s, not after a second bound at 2 s.
        const qint64 workedFirst = overrunAfter(300ms, 4s);
        QVERIFY2(workedFirst >= 1250 && workedFirst < 1850, qPrintable(QString::number(workedFirst)));
        QCOMPARE(overrunAfter(3s, 2500ms), -1);  // working all along
        // A document that keeps the office busy for ever: twenty bounds, then it is ended all the same.
        const qint64 endless = overrunAfter(std::chrono::hours(1), 5s, 100ms);
        QVERIFY2(endless >= 2000 && endless < 2600, qPrintable(QString::number(endless)));
    }
};

QTEST_MAIN(CallWatchdogTest)
#include "test_call_watchdog.moc"
