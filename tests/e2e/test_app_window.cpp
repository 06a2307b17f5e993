// The real program in a real X session: the office check before any window, and the main window.
#include <QtTest>

#include "XSession.h"
#include "cupsd/PrivateCupsd.h"

namespace {
const QString Program = QStringLiteral(QUORVANE_PROGRAM_DIR "/quorvane");
const QSize MainWindowSize(536, 436);
}  // namespace

class AppWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir home;

    // A browser that only notes the address it was asked to open.
    QString browserRecorder() {
        const QString path = home.path() + QStringLiteral("/browser");
        QFile script(path);
        script.open(QIODevice::WriteOnly);
        script.write(QStringLiteral("#!/bin/sh\necho \"$1\" > %1/opened\n").arg(home.path()).toUtf8());
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

    QProcessEnvironment environment(const XSession& x, const QString& soffice) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), x.display());
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("BROWSER"), browserRecorder());
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (!soffice.isEmpty()) env.insert(QStringLiteral("QUORVANE_SOFFICE"), soffice);
        return env;
    }

private slots:
    // Started outside a graphical session, the program says so in one line, not with Qt's advice to
    // reinstall it, and ends with a failure code.
    void withoutADisplayOneLineSaysWhy() {
        for (const QString display : {QString(), QStringLiteral(":987")}) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QLatin1String(name));
            if (!display.isEmpty()) env.insert(QStringLiteral("DISPLAY"), display);
            env.insert(QStringLiteral("HOME"), home.path());
            QProcess program;
            program.setProcessEnvironment(env);
            program.start(Program, {});
            QVERIFY(program.waitForFinished(30000));
            const QString said = QString::fromUtf8(program.readAllStandardError());
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), 1);
            QCOMPARE(said.count(QLatin1Char('\n')), 1);
            QVERIFY2(said.contains(display.isEmpty() ? QStringLiteral("no graphical session")
                                                     : QStringLiteral("DISPLAY=:987")), qPrintable(said));
        }
    }

    void withoutTheOfficeOnlyTheQuestionShowsAndBothAnswersEnd() {
        if (!XSession::available()) QSKIP("Xvfb and xdotool are needed");
        for (const QString answer : {QStringLiteral("n"), QStringLiteral("y")}) {
            XSession x;
            QVERIFY2(!x.display().isEmpty(), "the X server did not start");
            QFile::remove(home.path() + QStringLiteral("/opened"));
            QProcess program;
            program.setProcessEnvironment(environment(x, QStringLiteral("/nonexistent/soffice")));
            program.start(Program, {});
            QVERIFY(program.waitForStarted());
            auto stop = qScopeGuard([&] { program.kill(); program.waitForFinished(); });
            // Every box is answered with the key; boxes with only OK ignore it and take Escape.
            // The main window must never show.
            bool mainWindowShown = false;
            XSession::waitFor([&] {
                for (const QString& title : {QStringLiteral("Quorvane"), QStringLiteral("Application Error")})
                    for (const QString& box : x.windows(program.processId(), title)) {
                        mainWindowShown = mainWindowShown || x.size(box) == MainWindowSize;
                        x.screenshot(QStringLiteral(QUORVANE_BINARY_DIR "/office-missing.png"));
                        x.key(box, answer);
                        QThread::msleep(300);
                        x.key(box, QStringLiteral("Escape"));
                    }
                return program.state() == QProcess::NotRunning || program.waitForFinished(200);
            }, 30000);
            QVERIFY(!mainWindowShown);
            QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(10000));
            QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
                     qPrintable(QString::fromUtf8(program.readAllStandardError().right(1500))));
            const bool opened = XSession::waitFor([&] { return QFile::exists(home.path() + QStringLiteral("/opened")); }, 5000);
            QCOMPARE(opened, answer == QStringLiteral("y"));
            if (opened) {
                QFile file(home.path() + QStringLiteral("/opened"));
                file.open(QIODevice::ReadOnly);
                QVERIFY(file.readAll().contains("libreoffice.org/download"));
            }
        }
    }

    void withTheOfficeTheMainWindowShowsItsControls() {
        if (!XSession::available()) QSKIP("Xvfb and xdotool are needed");
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) QSKIP("LibreOffice is not installed");
        if (!PrivateCupsd::unavailableReason().isEmpty()) QSKIP(qPrintable(PrivateCupsd::unavailableReason()));
        // A scheduler with the PDF printer, so that start-up has nothing to say.
        PrivateCupsd cups;
        QVERIFY(cups.started() && cups.installPdfWriter());
        QDir(home.path()).mkpath(QStringLiteral(".cups"));  // this user's default printer
        QFile lpoptions(home.path() + QStringLiteral("/.cups/lpoptions"));
        QVERIFY(lpoptions.open(QIODevice::WriteOnly));
        lpoptions.write("Default Alpha\n");
        lpoptions.close();
        XSession x;
        QProcess program;
        program.setProcessEnvironment(environment(x, QString()));
        program.start(Program, {});
        QVERIFY(program.waitForStarted());
        auto stop = qScopeGuard([&] { program.kill(); program.waitForFinished(); });
        QStringList windows;
        const bool shown = XSession::waitFor([&] {
            windows = x.windows(program.processId(), QStringLiteral("Quorvane"));
            return windows.size() == 1 && x.size(windows.first()) == MainWindowSize;
        }, 90000);
        if (!shown) x.screenshot(QStringLiteral(QUORVANE_BINARY_DIR "/main-window-missing.png"));
        QVERIFY2(shown, qPrintable(QString::fromUtf8(program.readAllStandardError().right(1500))));
        QThread::msleep(500);
        x.screenshot(QStringLiteral(QUORVANE_BINARY_DIR "/main-window.png"));
        program.terminate();
        QVERIFY(program.waitForFinished(30000));
    }
};

QTEST_GUILESS_MAIN(AppWindowTest)
#include "test_app_window.moc"
