#pragma once
// A private X server for end-to-end tests of the real program, with xdotool to find and drive windows.
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <functional>

class XSession {
public:
    // A display number of this session's own: a server of an earlier session may still be going
    // away on the lowest free number, and a client would reach that one.
    XSession() {
        static int sessions = 0;
        const int number = 100 + int((QCoreApplication::applicationPid() * 7 + sessions++) % 800);
        display_ = QStringLiteral(":%1").arg(number);
        xvfb_.setProgram(QStringLiteral("Xvfb"));
        // -noreset: the server would otherwise reset whenever its last client leaves (the readiness
        // probe, a tool), and refuse the program that connects in that moment.
        xvfb_.setArguments({display_, QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1024x768x24"),
                            QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
        xvfb_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        xvfb_.start();
        const bool up = xvfb_.waitForStarted(5000) && waitFor([&] {
            QProcess probe;
            probe.start(QStringLiteral("xdpyinfo"), {QStringLiteral("-display"), display_});
            return probe.waitForFinished(2000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
        }, 10000);
        if (!up) display_.clear();
    }
    ~XSession() {
        xvfb_.terminate();
        if (!xvfb_.waitForFinished(5000)) {
            xvfb_.kill();
            xvfb_.waitForFinished(5000);
        }
    }
    static bool available() {
        return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() &&
               !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
    }
    QString display() const { return display_; }

    QString run(const QString& program, const QStringList& args) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        p.setProcessEnvironment(env);
        p.start(program, args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    // Visible windows of a process with this exact title.
    QStringList windows(qint64 pid, const QString& title) const {
        const QString out = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                            QStringLiteral("--pid"), QString::number(pid),
                                                            QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')});
        return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QSize size(const QString& window) const {
        const QString out = run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), window});
        const auto match = QRegularExpression(QStringLiteral("Geometry: (\\d+)x(\\d+)")).match(out);
        return match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
    }
    void key(const QString& window, const QString& keys) const {
        run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--window"), window, keys});
    }
    void screenshot(const QString& path) const {
        run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), path});
    }
    static bool waitFor(const std::function<bool()>& condition, int milliseconds) {
        for (int waited = 0; waited < milliseconds; waited += 100) {
            if (condition()) return true;
            QThread::msleep(100);
        }
        return condition();
    }

private:
    QProcess xvfb_;
    QString display_;
};
