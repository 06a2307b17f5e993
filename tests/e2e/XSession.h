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
    XSession() {
        xvfb_.setProgram(QStringLiteral("Xvfb"));
        xvfb_.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                            QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                            QStringLiteral("tcp")});
        xvfb_.start();
        if (xvfb_.waitForReadyRead(10000)) display_ = QLatin1Char(':') + QString::fromLatin1(xvfb_.readLine()).trimmed();
        // The display number comes before the server takes clients on some starts: wait until it does.
        waitFor([&] {
            QProcess probe;
            probe.start(QStringLiteral("xdpyinfo"), {QStringLiteral("-display"), display_});
            return probe.waitForFinished(2000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
        }, 5000);
    }
    ~XSession() {
        xvfb_.terminate();
        xvfb_.waitForFinished(3000);
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
