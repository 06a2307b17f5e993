// The document list's benchmark (not a test): the whole add-folder action on a generated tree
// against find on the same tree in the same run, the longest gap between two message pumps
// while the folder is scanned, the list operations on 100,000 entries, and the memory those
// entries take. Usage: bench_doclist TREE list|memory|speed, each part in a process of its own
// (run through bench/doclist.sh).
#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "FakePlatform.h"
#include "app/Form1.h"
#include "platform/linux/LinuxRuntime.h"

namespace {
constexpr int Runs = 5;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// The real event loop, with the time between two pumps recorded.
class TimedRuntime : public LinuxRuntime {
public:
    void pumpMessages() override {
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0) longestGapNs = std::max(longestGapNs, now - last);
        last = now;
        ++pumps;
        if (onPump) onPump();
        LinuxRuntime::pumpMessages();
    }
    void reset() {
        clock.start();
        last = -1;
        longestGapNs = 0;
        pumps = 0;
    }
    QElapsedTimer clock;
    qint64 last = -1, longestGapNs = 0;
    int pumps = 0;
    std::function<void()> onPump;
};

struct Bench {
    LinuxFileSystem files;
    TimedRuntime runtime;
    FakePlatform fake{QStringLiteral("/nonexistent"), &files, &runtime};
    Form1 form{fake.platform};

    Bench() {
        form.ListView1->setHeaderLabels({QStringLiteral(" Writer File(s)")});
        form.ListView1->setColumnWidth(0, Twips(6500));
        form.show();
        QTest::qWaitForWindowExposed(&form);
    }
};

double millisecondsOf(const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    QCoreApplication::processEvents();  // the view lays out and paints what changed
    return timer.nsecsElapsed() / 1e6;
}

double findMs(const QStringList& arguments) {
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    find.start(QStringLiteral("find"), arguments);
    find.waitForFinished(-1);
    return timer.nsecsElapsed() / 1e6;
}

// One extension: find's and the action's times, turn by turn, and what the scan's pumps did.
struct AddFolderCase {
    QString extension;
    QStringList findArguments;
    const char* findName;
    std::vector<double> findTimes, times, ratios, scans, gaps;
    int entries = 0, pumps = 0;

    void measureOnce(Bench& bench) {
        findTimes.push_back(findMs(findArguments));
        bench.form.ListView1->clear();
        bench.fake.dialogs.inputAnswers = {extension};
        bench.fake.dialogs.browseAnswers = {findArguments.first()};
        // The scan ends with its last pump; the adding loop after it pumps none, by design.
        bench.runtime.reset();
        times.push_back(millisecondsOf([&] { bench.form.PushButton4_Click(); }));
        ratios.push_back(times.back() / findTimes.back());
        scans.push_back(bench.runtime.last / 1e6);
        gaps.push_back(bench.runtime.longestGapNs / 1e6);
        entries = bench.form.ListView1->count();
        pumps = bench.runtime.pumps;
    }
};

QPoint centreOf(ListView* list, int position) {
    return list->visualRect(list->model()->index(position - 1, 0)).center();
}

void mouse(ListView* list, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), list->viewport()->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &event);
}

// Memory is measured in a fresh process: freed memory stays with the process and would hide the growth.
void listOperations() {
    Bench bench;
    ListView* list = bench.form.ListView1;
    QCoreApplication::processEvents();
    const double before = residentMegabytes();
    QStringList paths;
    for (int i = 0; i < 100000; ++i)
        paths << QStringLiteral("/home/user/Documents/Folder %1/Folder %2/report %3 of the quarter.odt")
                     .arg(i / 10000, 2, 10, QLatin1Char('0'))
                     .arg(i / 100 % 100, 2, 10, QLatin1Char('0'))
                     .arg(i, 6, 10, QLatin1Char('0'));
    const auto fill = [&] {
        for (const QString& path : paths) AppendEntry(list, path);
    };
    const double fillMs = millisecondsOf(fill);
    paths.clear();  // the list keeps the only copies, as entries found by a scan are
    const double after = residentMegabytes();
    std::printf("memory: empty window %.1f MB RSS; 100,000 entries take %.1f MB more (target <= 30 MB)\n", before,
                after - before);
    std::printf("appending 100,000 entries with AppendEntry: %.1f ms\n", fillMs);

    std::vector<double> up, del, swap, clear;
    for (int run = 0; run < Runs; ++run) {
        if (list->count() < 100000) {
            for (int i = list->count(); i < 100000; ++i) AppendEntry(list, QStringLiteral("/home/user/Documents/%1.odt").arg(i));
            QCoreApplication::processEvents();
        }
        list->selectEntry(list->count());
        up.push_back(millisecondsOf([&] { bench.form.PushButton3_Click(); }));
        list->selectEntry(50000);
        del.push_back(millisecondsOf([&] { QTest::keyClick(list, Qt::Key_Delete); }));
        list->scrollToEntry(50000);
        QCoreApplication::processEvents();
        const int below = 50001;
        mouse(list, QEvent::MouseButtonPress, centreOf(list, 50000), Qt::LeftButton, Qt::LeftButton);
        QCoreApplication::processEvents();
        swap.push_back(millisecondsOf(
            [&] { mouse(list, QEvent::MouseMove, centreOf(list, below), Qt::NoButton, Qt::LeftButton); }));
        mouse(list, QEvent::MouseButtonRelease, centreOf(list, below), Qt::LeftButton, Qt::NoButton);
        clear.push_back(millisecondsOf([&] { bench.form.PushButton6_Click(); }));
    }
    const auto line = [](const char* what, const std::vector<double>& times) {
        std::printf("%-42s median %6.2f ms, worst %6.2f ms (target <= 16 ms)\n", what, median(times),
                    *std::max_element(times.begin(), times.end()));
    };
    line("Move Up of the last of 100,000 entries:", up);
    line("Delete in the middle of 100,000 entries:", del);
    line("one drag swap among 100,000 entries:", swap);
    line("Clear List of 100,000 entries:", clear);
}

// One add-folder of the whole tree with every file: what the window holds afterwards, and at most
// while it worked.
void addFolderMemory(const QString& tree) {
    Bench bench;
    QCoreApplication::processEvents();
    const double before = residentMegabytes();
    bench.fake.dialogs.inputAnswers = {QStringLiteral("*")};
    bench.fake.dialogs.browseAnswers = {tree};
    double peak = before;
    bench.runtime.onPump = [&] {
        if (bench.runtime.pumps % 1000 == 0) peak = std::max(peak, residentMegabytes());
    };
    bench.form.PushButton4_Click();
    QCoreApplication::processEvents();
    const double after = residentMegabytes();
    std::printf("memory: add folder \"*\" of %d files: %.1f MB more than the empty window afterwards (target <= 30 MB), "
                "%.1f MB at most during the scan\n",
                bench.form.ListView1->count(), after - before, std::max(peak, after) - before);
}

// find and the action take turns, so that both meet the same load on a shared machine; the ratio
// is the median of the ratios of the turns.
void speed(const QString& tree) {
    const QStringList files{tree, QStringLiteral("-type"), QStringLiteral("f")};
    findMs(files);  // warms the caches for both sides
    AddFolderCase cases[] = {
        {QStringLiteral("odt"), files + QStringList{QStringLiteral("-iname"), QStringLiteral("*.odt")},
         "find -type f -iname '*.odt'"},
        {QStringLiteral("*"), files, "find -type f"}};
    Bench bench;
    for (int run = 0; run < Runs; ++run)
        for (AddFolderCase& c : cases) c.measureOnce(bench);
    std::printf("tree %s; every figure is the median of %d turns in this process, offscreen\n", qPrintable(tree), Runs);
    for (const AddFolderCase& c : cases) {
        const double scan = median(c.scans), total = median(c.times);
        std::printf("add folder \"%s\": %d entries in %.1f ms; %s %.1f ms; ratio %.2f (target <= 1.5)\n",
                    qPrintable(c.extension), c.entries, total, c.findName, median(c.findTimes), median(c.ratios));
        std::printf("  scan %.1f ms with %d pumps, longest gap between two pumps %.2f ms (target <= 50 ms); "
                    "adding loop without pumps %.1f ms\n",
                    scan, c.pumps, *std::max_element(c.gaps.begin(), c.gaps.end()), total - scan);
    }
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString part = argc == 3 ? QString::fromLatin1(argv[2]) : QString();
    if (part != QLatin1String("list") && part != QLatin1String("memory") && part != QLatin1String("speed")) {
        std::fprintf(stderr, "usage: bench_doclist TREE list|memory|speed\n");
        return 2;
    }
    const QString tree = QString::fromLocal8Bit(argv[1]);
    if (part == QLatin1String("list")) listOperations();
    else if (part == QLatin1String("memory")) addFolderMemory(tree);
    else speed(tree);
    return 0;
}
