#include "LinuxRuntime.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

QDateTime LinuxRuntime::now() { return QDateTime::currentDateTime(); }

void LinuxRuntime::sleep(int milliseconds) { QThread::msleep(milliseconds); }

void LinuxRuntime::pumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

// Waits on the event loop instead of spinning: the window stays responsive and the processor idle.
void LinuxRuntime::waitWithEvents(int milliseconds) {
    if (milliseconds <= 0) return;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Every setting is written when it changes, so nothing is lost by leaving without unwinding
// the handlers that may be running (a print run, a folder scan).
void LinuxRuntime::endProgram() {
    std::fflush(nullptr);
    ::_exit(0);
}
