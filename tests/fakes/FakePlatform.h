#pragma once
// Test implementations of the platform. They record what was asked, in one shared log,
// and answer from a script. The file system is the real one and the clock a fake one, unless a test brings its own.
#include <QMap>
#include <QSet>
#include <QStringList>
#include <deque>
#include <functional>
#include <set>
#include <variant>

#include "platform/Platform.h"
#include "platform/linux/LinuxFileSystem.h"

using Log = QStringList;

// Thrown by FakeRuntime::endProgram so that a test sees the program end.
struct ProgramEnded {};

class FakeDialogs : public Dialogs {
public:
    explicit FakeDialogs(Log& log) : log(log) {}
    Answer messageBox(QObject* owner, const MessageBoxRequest& request) override;
    QString inputBox(QObject* owner, const QString& prompt, const QString& title, const QString& preset) override;
    QString showOpen(QObject* owner, const OpenFileRequest& request) override;
    QString browseForFolder(QObject* owner, const QString& title, const QString& initial) override;

    Log& log;
    std::vector<MessageBoxRequest> messages;
    std::deque<Answer> answers;  // for Yes/No boxes; No when empty
    std::function<void(const MessageBoxRequest&)> onMessage;  // runs while the box is "open"
    struct Input { QString prompt, title, preset; };
    std::vector<Input> inputs;
    std::deque<QString> inputAnswers;  // empty text (Cancel) when empty
    std::vector<OpenFileRequest> openRequests;
    std::deque<std::variant<QString, RuntimeError>> openAnswers;  // Cancel when empty
    struct Browse { QString title, initial; };
    std::vector<Browse> browses;
    std::deque<QString> browseAnswers;  // Cancel when empty

    QStringList texts() const;
};

class FakeSettings : public SettingsStore {
public:
    std::optional<QString> read(const QString& app, const QString& section, const QString& key) override;
    void write(const QString& app, const QString& section, const QString& key, const QString& value) override;
    QMap<QString, QString> values;  // "app/section/key" -> value
    std::optional<QString> get(const QString& key) const;  // under the program's application and section
    void set(const QString& key, const QString& value);
};

class FakeRegistry : public Registry {
public:
    explicit FakeRegistry(Log& log) : log(log) {}
    std::unique_ptr<RegistryKey> createKey(const QString& subkey) override;
    Log& log;
    QMap<QString, QMap<QString, QString>> keys;
    bool failCreate = false;
    QSet<QString> failValues;  // names whose writing fails
};

class FakePrinters : public Printers {
public:
    explicit FakePrinters(Log& log) : log(log) {}
    QStringList installedPrinters() override;
    QString defaultPrinter() override;
    void setDefaultPrinter(const QString& name) override;
    void holdUserDefault() override;
    void releaseUserDefault() override;
    QString queueOf(const QString& name) override;
    QString refusal(const QString& name) override;
    int newestJobId() override;
    QList<PrintJob> jobsAfter(int after) override;
    PrintJob job(int id, const QString& printer) override;
    // A printer with a refusal is stopped, with the refusal as its message.
    PrinterState printerState(const QString& name) override;
    // By `supported`: an option not there is not listed.
    OptionSupport supportOf(const QString& queue, const QString& option, const QString& value) override;
    // Logs the job with its file's first bytes and its options, and takes it as receive() does; a
    // dropping queue refuses it.
    PrintJob sendPdf(const QString& queue, const QString& file, const QString& title, const JobOptions& options) override;
    // A print command of the office reaches the queue (the empty text: the default): a completed job,
    // unless the queue refuses it.
    bool receive(const QString& queue);
    Log& log;
    QStringList installed;
    QMap<QString, QString> refusals;  // printer -> why it takes or prints no jobs
    QSet<QString> dropping;           // printers whose jobs never arrive
    QMap<QString, QStringList> supported;  // option -> the values every printer lists
    QList<PrintJob> jobs;
    int nextId = 1;
    std::function<void(PrintJob&)> onAsked;  // may change a job before it is reported
    QString current, held;
    bool unreachable = false;
    bool defaultUnreadable = false;  // only reading the default fails
    bool holdFails = false, releaseFails = false;  // the record of the user's own default cannot be kept
};

// Office objects that log every call with its arguments; calls named in failing() throw.
class FakeOffice : public Office {
public:
    explicit FakeOffice(Log& log) : log(log) {}
    std::shared_ptr<OfficeObject> createServiceManager() override;
    void shutdown() override;
    void setTargetQueue(const QString& queue) override;
    void exportOnly() override { log << QStringLiteral("office exportOnly"); }
    void runUnsandboxed() override { log << QStringLiteral("office runUnsandboxed"); }
    void print();  // a print command: the job goes to the target, if onPrint takes it
    Log& log;
    bool available = true;
    QString target;
    std::function<bool(const QString& queue)> onPrint;
    PrintJobState lastPrint = PrintJobState::Spooled;
    std::set<QString> failing;  // member names, e.g. "loadComponentFromURL"
    std::function<void(const QString& member)> onCall;
    void call(const QString& member, const QString& arguments);
};

class FakeShell : public Shell {
public:
    explicit FakeShell(Log& log) : log(log) {}
    void execute(QObject* owner, const QString& file, const QString& workingFolder, int showMode) override;
    void changeNotify(long eventId, unsigned flags) override;
    QString desktopFolder() override;
    Log& log;
    QStringList executed;
    QString desktop = QStringLiteral("/home/user/Desktop");
    bool desktopUnknown = false;
};

// A clock that only moves when the program waits; pumps run the test's hook.
class FakeRuntime : public Runtime {
public:
    explicit FakeRuntime(Log& log) : log(log) {}
    QDateTime now() override { return clock; }
    void sleep(int milliseconds) override;
    void pumpMessages() override;
    void waitWithEvents(int milliseconds) override;
    [[noreturn]] void endProgram() override;
    Log& log;
    QDateTime clock{QDate(2021, 8, 31), QTime(15, 4, 5)};
    std::function<void()> onPump;
    int pumps = 0;
};

struct FakePlatform {
    Log log;
    FakeDialogs dialogs{log};
    FakeSettings settings;
    FakeRegistry registry{log};
    FakePrinters printers{log};
    FakeOffice office{log};
    FakeShell shell{log};
    LinuxFileSystem realFiles;
    FakeRuntime runtime{log};
    Platform platform;

    // A test may bring its own file system or runtime (a benchmark times the runtime's pumps).
    explicit FakePlatform(const QString& programFolder = QStringLiteral("/nonexistent/quorvane"),
                          FileSystem* files = nullptr, Runtime* ownRuntime = nullptr)
        : platform{dialogs, settings, registry, printers, office, shell, files ? *files : realFiles,
                   ownRuntime ? *ownRuntime : runtime, programFolder} {
        office.onPrint = [this](const QString& queue) { return printers.receive(queue.isEmpty() ? printers.current : queue); };
    }
    // Log lines that start with one of the prefixes, in order.
    QStringList logOf(const QStringList& prefixes) const;
};
