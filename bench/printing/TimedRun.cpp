#include "TimedRun.h"

#include <QProcess>
#include <QStandardPaths>

BenchWindow::BenchWindow(const QString& printer) {
    try {
        form.Form_Load();
    } catch (const ProgramEnded&) {
        throw BenchFailure{QStringLiteral("the program ended at start-up (no office?): ") + real.dialogs.texts().join(QLatin1Char('|'))};
    }
    real.dialogs.messages.clear();  // start-up's notes are no part of a run
    form.Text2->setText(QStringLiteral("0"));
    form.Combo1->setCurrentText(printer);
    if (form.Combo1->currentText() != printer) throw BenchFailure{QStringLiteral("no printer ") + printer};
    form.show();
}

RunFigures TimeRun(BenchWindow& window, const std::function<bool()>& outputsThere) {
    RunFigures figures;
    figures.documents = window.form.ListView1->count();
    window.real.dialogs.messages.clear();
    window.runtime.reset();
    // The bar takes a new value at the start of every pass and goes back to 0 after the last one,
    // so its changes cut the run into passes.
    struct Mark {
        double wall;
        qint64 askedMs;
    };
    std::vector<Mark> marks;
    const Stopwatch clock;
    const auto connection = QObject::connect(window.form.ProgressBar1, &QProgressBar::valueChanged,
                                             [&] { marks.push_back({clock.seconds(), window.runtime.askedMs}); });
    window.form.PushButton2_Click();
    QObject::disconnect(connection);
    if (!WaitUntil(outputsThere, 120000)) throw BenchFailure{QStringLiteral("the run's output did not come")};
    figures.wallSeconds = clock.seconds();
    figures.waitsSeconds = double(window.runtime.askedMs) / 1000;
    for (size_t i = 0; i + 1 < marks.size(); ++i)
        figures.passCosts.push_back(marks[i + 1].wall - marks[i].wall -
                                    double(marks[i + 1].askedMs - marks[i].askedMs) / 1000);
    if (window.runtime.waitWallSeconds > 0)
        figures.waitCpuPercent = 100 * window.runtime.waitCpuSeconds / window.runtime.waitWallSeconds;
    figures.messages = window.real.dialogs.texts();
    return figures;
}

double TimeOfficeCommand(const QStringList& arguments, const std::function<bool()>& outputThere) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) throw BenchFailure{QStringLiteral("soffice is not installed")};
    const Stopwatch clock;
    QProcess office;
    office.setStandardOutputFile(QProcess::nullDevice());
    office.setStandardErrorFile(QProcess::nullDevice());
    office.start(soffice, arguments);
    if (!office.waitForFinished(180000)) {
        office.kill();
        office.waitForFinished();
        throw BenchFailure{QStringLiteral("soffice did not end: ") + arguments.join(QLatin1Char(' '))};
    }
    if (!WaitUntil(outputThere, 60000))
        throw BenchFailure{QStringLiteral("soffice left no output: ") + arguments.join(QLatin1Char(' '))};
    return clock.seconds();
}
