#include "Benchmarks.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QUrl>

#include "OdtWriter.h"
#include "doclist/ListView.h"
#include "platform/linux/CupsPrinters.h"
#include "printing/Form2.h"
#include "printing/PDFprint.h"
#include "printing/Pause.h"

namespace {
const QString Queue = QStringLiteral("Alpha");

// The reference offices keep a profile of their own, made by a first start that is not measured.
QString referenceProfile() {
    return QStringLiteral("-env:UserInstallation=") +
           QUrl::fromLocalFile(QDir::homePath() + QStringLiteral("/reference-office")).toString();
}

QString pdfText(const QString& path) {
    QString text;
    PrivateCupsd::runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")}, &text);
    return text;
}

void expectOnlyDone(const RunFigures& run) {
    if (run.messages != QStringList{QStringLiteral("Done.")})
        throw BenchFailure{QStringLiteral("the run showed: ") + run.messages.join(QStringLiteral(" | "))};
}

// The share of one core that this process used while `wait` ran.
double cpuPercentOf(const std::function<void()>& wait) {
    const double cpu = CpuSeconds();
    const Stopwatch wall;
    wait();
    return 100 * (CpuSeconds() - cpu) / wall.seconds();
}
}  // namespace

QString DocumentText(int number) { return QStringLiteral("Benchmark document %1").arg(number, 2, 10, QLatin1Char('0')); }

QStringList MakeDocuments(const QString& folder, int count) {
    QDir().mkpath(folder);
    QStringList paths;
    for (int i = 1; i <= count; ++i) {
        const QString path = folder + QStringLiteral("/doc%1.odt").arg(i, 2, 10, QLatin1Char('0'));
        if (!odt::write(path, {DocumentText(i)})) throw BenchFailure{QStringLiteral("cannot write ") + path};
        paths << path;
    }
    return paths;
}

void AddComparison(Figures& figures, const QString& prefix, const RunFigures& run, const std::vector<double>& reference) {
    figures[prefix + QStringLiteral("docs")] = run.documents;
    figures[prefix + QStringLiteral("run")] = run.costPerDocument();
    figures[prefix + QStringLiteral("passMedian")] = Median(run.passCosts);
    figures[prefix + QStringLiteral("passMax")] = Max(run.passCosts);
    figures[prefix + QStringLiteral("waits")] = run.waitsSeconds / run.documents;
    figures[prefix + QStringLiteral("waitCpu")] = run.waitCpuPercent;
    figures[prefix + QStringLiteral("refMean")] = Mean(reference);
    figures[prefix + QStringLiteral("refMedian")] = Median(reference);
}

Figures PauseFigures() {
    constexpr int Seconds = 10;
    BenchWindow window(Queue);
    Figures figures;
    figures[QStringLiteral("pause.seconds")] = Seconds;
    figures[QStringLiteral("pause.cpu")] = cpuPercentOf([&] { WaitSeconds(window.real.platform, Seconds); });
    // The classic pause: pumping messages until the clock says the time is up.
    figures[QStringLiteral("pause.busy")] = cpuPercentOf([&] {
        const Stopwatch clock;
        while (clock.seconds() < Seconds) window.real.runtime.pumpMessages();
    });
    return figures;
}

Figures QueueFigures(PrivateCupsd& cups, const QStringList& documents) {
    const auto kept = [&] { return int(cups.keptJobs(Queue).size()); };
    CupsPrinters().setDefaultPrinter(Queue);
    RunFigures run;
    int before = 0;
    {
        BenchWindow window(Queue);
        for (const QString& path : documents) AppendEntry(window.form.ListView1, path);
        before = kept();
        run = TimeRun(window, [&] { return kept() >= before + int(documents.size()); });
        expectOnlyDone(run);
    }  // the program and its office end before the reference starts
    // Figures of a run that printed the wrong thing would mean nothing.
    const QStringList jobs = cups.keptJobs(Queue).mid(before);
    if (jobs.size() != documents.size()) throw BenchFailure{QStringLiteral("the run left %1 jobs").arg(jobs.size())};
    for (int i = 0; i < jobs.size(); ++i)
        if (!cups.jobText(jobs[i]).contains(DocumentText(i + 1)))
            throw BenchFailure{QStringLiteral("the run's job %1 is not its document").arg(i + 1)};

    // A fresh office for every document, sent to the queue both by the environment and by default.
    qputenv("PRINTER", Queue.toUtf8());
    const auto printOne = [&](const QString& path) {
        const int jobsBefore = kept();
        return TimeOfficeCommand({referenceProfile(), QStringLiteral("--headless"), QStringLiteral("-p"), path},
                                 [&] { return kept() > jobsBefore; });
    };
    printOne(documents.first());
    std::vector<double> reference;
    for (const QString& path : documents) reference.push_back(printOne(path));
    qunsetenv("PRINTER");

    Figures figures;
    AddComparison(figures, QStringLiteral("queue."), run, reference);
    return figures;
}

Figures PdfFigures(int count) {
    const QString home = QDir::homePath();
    const QStringList documents = MakeDocuments(home + QStringLiteral("/bench-documents"), count);
    const auto pdfOf = [](const QString& folder, const QString& document) {
        return folder + QLatin1Char('/') + QFileInfo(document).completeBaseName() + QStringLiteral(".pdf");
    };
    const auto allThere = [&](const QString& folder) {
        return std::all_of(documents.begin(), documents.end(), [&](const QString& d) { return QFile::exists(pdfOf(folder, d)); });
    };

    const QString output = home + QStringLiteral("/bench-pdf");
    QDir().mkpath(output);
    RunFigures run;
    {
        BenchWindow window(PdfPrinterName);
        for (const QString& path : documents) AppendEntry(window.form.ListView1, path);
        // The user confirms the output folder when the run asks for it.
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            if (auto* folderWindow = qobject_cast<Form2*>(QApplication::activeModalWidget())) {
                folderWindow->txtBackupPath->setText(output);
                folderWindow->close();
                user.stop();
            }
        });
        user.start(10);
        run = TimeRun(window, [&] { return allThere(output); });
        expectOnlyDone(run);
    }
    for (int i = 0; i < count; ++i)
        if (!pdfText(pdfOf(output, documents[i])).contains(DocumentText(i + 1)))
            throw BenchFailure{QStringLiteral("the PDF of document %1 does not hold its text").arg(i + 1)};

    const auto convertOne = [&](const QString& path, const QString& folder) {
        return TimeOfficeCommand({referenceProfile(), QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                  QStringLiteral("pdf"), QStringLiteral("--outdir"), folder, path},
                                 [&] { return QFile::exists(pdfOf(folder, path)); });
    };
    convertOne(documents.first(), home + QStringLiteral("/bench-convert-first"));
    std::vector<double> reference;
    for (const QString& path : documents) reference.push_back(convertOne(path, home + QStringLiteral("/bench-convert")));

    Figures figures;
    AddComparison(figures, QStringLiteral("pdf."), run, reference);
    return figures;
}
