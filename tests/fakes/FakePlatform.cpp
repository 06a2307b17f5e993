#include "FakePlatform.h"
#include <QFile>
#include <QUrl>

namespace {
QString settingsKey(const QString& app, const QString& section, const QString& key) {
    return app + QLatin1Char('/') + section + QLatin1Char('/') + key;
}

QString properties(const QList<PropertyValue>& props) {
    QStringList parts;
    for (const PropertyValue& p : props) parts << p.name + QLatin1Char('=') + p.value.toString();
    return QLatin1Char('[') + parts.join(QLatin1Char(',')) + QLatin1Char(']');
}
}  // namespace

Answer FakeDialogs::messageBox(QObject*, const MessageBoxRequest& request) {
    messages.push_back(request);
    log << QStringLiteral("message ") + request.text.left(40);
    if (onMessage) onMessage(request);
    if (request.buttons == Buttons::Ok) return Answer::Ok;
    if (answers.empty()) return Answer::No;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

QString FakeDialogs::inputBox(QObject*, const QString& prompt, const QString& title, const QString& preset) {
    inputs.push_back({prompt, title, preset});
    log << QStringLiteral("input ") + title;
    if (inputAnswers.empty()) return {};
    QString a = inputAnswers.front();
    inputAnswers.pop_front();
    return a;
}

QString FakeDialogs::showOpen(QObject*, const OpenFileRequest& request) {
    openRequests.push_back(request);
    log << QStringLiteral("showOpen");
    if (openAnswers.empty()) return {};
    auto a = openAnswers.front();
    openAnswers.pop_front();
    if (auto* e = std::get_if<RuntimeError>(&a)) throw *e;
    return std::get<QString>(a);
}

QString FakeDialogs::browseForFolder(QObject*, const QString& title, const QString& initial) {
    browses.push_back({title, initial});
    log << QStringLiteral("browse ") + initial;
    if (browseAnswers.empty()) return {};
    QString a = browseAnswers.front();
    browseAnswers.pop_front();
    return a;
}

QStringList FakeDialogs::texts() const {
    QStringList out;
    for (const auto& m : messages) out << m.text;
    return out;
}

std::optional<QString> FakeSettings::read(const QString& app, const QString& section, const QString& key) {
    const auto it = values.constFind(settingsKey(app, section, key));
    if (it == values.constEnd()) return std::nullopt;
    return *it;
}

void FakeSettings::write(const QString& app, const QString& section, const QString& key, const QString& value) {
    values[settingsKey(app, section, key)] = value;
}

std::optional<QString> FakeSettings::get(const QString& key) const {
    const auto it = values.constFind(settingsKey(QStringLiteral("Vendrell"), QStringLiteral("Quorvane"), key));
    if (it == values.constEnd()) return std::nullopt;
    return *it;
}

void FakeSettings::set(const QString& key, const QString& value) {
    values[settingsKey(QStringLiteral("Vendrell"), QStringLiteral("Quorvane"), key)] = value;
}

namespace {
class FakeKey : public RegistryKey {
public:
    FakeKey(FakeRegistry& registry, QString subkey) : registry_(registry), subkey_(std::move(subkey)) {}
    ~FakeKey() override { registry_.log << QStringLiteral("registry close ") + subkey_; }
    bool setString(const QString& name, const QString& data) override {
        registry_.log << QStringLiteral("registry set ") + name + QLatin1Char('=') + data;
        if (registry_.failValues.contains(name)) return false;
        registry_.keys[subkey_][name] = data;
        return true;
    }
    bool deleteValue(const QString& name) override {
        registry_.log << QStringLiteral("registry delete ") + name;
        registry_.keys[subkey_].remove(name);
        return true;
    }
    QStringList valueNames() override { return registry_.keys.value(subkey_).keys(); }

private:
    FakeRegistry& registry_;
    QString subkey_;
};
}  // namespace

std::unique_ptr<RegistryKey> FakeRegistry::createKey(const QString& subkey) {
    log << QStringLiteral("registry open ") + subkey;
    if (failCreate) return nullptr;
    return std::make_unique<FakeKey>(*this, subkey);
}

QStringList FakePrinters::installedPrinters() {
    if (unreachable) throw RuntimeError(1001, QStringLiteral("The printing system cannot be reached"));
    return installed;
}

QString FakePrinters::defaultPrinter() {
    log << QStringLiteral("getDefault");
    if (unreachable || defaultUnreadable) throw RuntimeError(1001, QStringLiteral("The printing system cannot be reached"));
    return current;
}

void FakePrinters::setDefaultPrinter(const QString& name) {
    log << QStringLiteral("setDefault ") + name;
    if (unreachable || (!name.isEmpty() && !installed.contains(name)))
        throw RuntimeError(1801, QStringLiteral("The printer name is invalid."));
    current = name;
}

void FakePrinters::holdUserDefault() {
    log << QStringLiteral("holdDefault");
    if (unreachable) throw RuntimeError(1001, QStringLiteral("The printing system cannot be reached"));
    if (holdFails) throw RuntimeError(70, QStringLiteral("Permission denied: the default printer setting cannot be kept"));
    held = current;
}

void FakePrinters::releaseUserDefault() {
    log << QStringLiteral("releaseDefault");
    if (releaseFails) throw RuntimeError(70, QStringLiteral("Permission denied: lpoptions cannot be written"));
    current = held;
}

QString FakePrinters::queueOf(const QString& name) {
    if (unreachable || !installed.contains(name)) throw RuntimeError(5, QStringLiteral("There is no printer named \"%1\".").arg(name));
    return name;
}

QString FakePrinters::refusal(const QString& name) { return refusals.value(name); }

int FakePrinters::newestJobId() { return jobs.isEmpty() ? 0 : jobs.last().id; }

QList<PrintJob> FakePrinters::jobsAfter(int after) {
    QList<PrintJob> later;
    for (const PrintJob& job : jobs)
        if (job.id > after) later << job;
    return later;
}

PrinterState FakePrinters::printerState(const QString& name) {
    PrinterState state;
    state.known = installed.contains(name);
    state.stopped = refusals.contains(name);
    state.message = refusals.value(name);
    return state;
}

OptionSupport FakePrinters::supportOf(const QString& queue, const QString& option, const QString& value) {
    log << QStringLiteral("printers supportOf(%1, %2=%3)").arg(queue, option, value);
    if (!supported.contains(option)) return {};
    const QStringList values = supported.value(option);
    return {values.contains(value) ? OptionSupport::Verdict::Supported : OptionSupport::Verdict::Unsupported,
            values.join(QStringLiteral(", "))};
}

PrintJob FakePrinters::job(int id, const QString&) {
    for (PrintJob& job : jobs)
        if (job.id == id) {
            if (onAsked) onAsked(job);
            return job;
        }
    throw RuntimeError(68, QStringLiteral("The printing system has no job %1").arg(id));
}

PrintJob FakePrinters::sendPdf(const QString& queue, const QString& file, const QString& title, const JobOptions& options) {
    QFile pdf(file);
    const QByteArray start = pdf.open(QIODevice::ReadOnly) ? pdf.read(5) : QByteArray("none");
    QStringList named;
    for (const auto& [name, value] : options) named << name + QLatin1Char('=') + value;
    log << QStringLiteral("printers sendPdf(%1, %2, %3, %4)").arg(queue, QString::fromLatin1(start), title, named.join(QLatin1Char(' ')));
    if (unreachable || !receive(queue)) throw RuntimeError(68, QStringLiteral("The printer or class is not accepting jobs."));
    const PrintJob& job = jobs.last();
    return {job.id, {}, job.state, {}};
}

bool FakePrinters::receive(const QString& queue) {
    if (dropping.contains(queue)) return false;  // as the office drops a job the queue refuses
    // A printer that does not print (stopped) keeps its jobs waiting.
    const auto state = refusals.contains(queue) ? PrintJob::State::Pending : PrintJob::State::Completed;
    jobs << PrintJob{nextId++, queue, state, {}};
    return true;
}

namespace {
class FakeObject : public OfficeObject {
public:
    FakeObject(FakeOffice& office, QString kind) : office_(office), kind_(std::move(kind)) {}
    std::shared_ptr<OfficeObject> createInstance(const QString& service) override {
        office_.call(QStringLiteral("createInstance"), service);
        return std::make_shared<FakeObject>(office_, service);
    }
    PropertyValue Bridge_GetStruct(const QString& type) override {
        office_.call(QStringLiteral("Bridge_GetStruct"), type);
        return PropertyValue{type, {}, {}};
    }
    std::shared_ptr<OfficeObject> loadComponentFromURL(const QString& url, const QString& target, qint16 flags,
                                                       const QList<PropertyValue>& props) override {
        office_.call(QStringLiteral("loadComponentFromURL"),
                     QStringList{url, target, QString::number(flags), properties(props)}.join(QStringLiteral(", ")));
        return std::make_shared<FakeObject>(office_, QStringLiteral("document"));
    }
    std::shared_ptr<OfficeObject> getCurrentController() override {
        office_.call(QStringLiteral("getCurrentController"), {});
        return std::make_shared<FakeObject>(office_, QStringLiteral("controller"));
    }
    std::shared_ptr<OfficeObject> getFrame() override {
        office_.call(QStringLiteral("getFrame"), {});
        return std::make_shared<FakeObject>(office_, QStringLiteral("frame"));
    }
    void close(bool deliver) override { office_.call(QStringLiteral("close"), deliver ? QStringLiteral("true") : QStringLiteral("false")); }
    QVariant executeDispatch(OfficeObject& frame, const QString& command, const QString& target, qint16 flags,
                             const QList<PropertyValue>& args) override {
        const auto* f = dynamic_cast<FakeObject*>(&frame);
        office_.call(QStringLiteral("executeDispatch"),
                     QStringList{f ? f->kind_ : QStringLiteral("?"), command, target, QString::number(flags),
                                 properties(args)}.join(QStringLiteral(", ")));
        if (command == QStringLiteral(".uno:PrintDefault")) office_.print();
        return {};
    }
    PrintJobState printJobState(int) override { return office_.lastPrint; }
    // Writes a small PDF where the export was asked to write one.
    void storeToURL(const QString& url, const QList<PropertyValue>& props) override {
        office_.call(QStringLiteral("storeToURL"), QStringList{url, properties(props)}.join(QStringLiteral(", ")));
        QFile file(QUrl(url).toLocalFile());
        if (!file.open(QIODevice::WriteOnly) || file.write("%PDF-1.7\n%%EOF\n") < 0) throw Err::permissionDenied();
    }
    int pageCount() override {
        office_.call(QStringLiteral("pageCount"), {});
        return 1;
    }

private:
    FakeOffice& office_;
    QString kind_;
};
}  // namespace

void FakeOffice::call(const QString& member, const QString& arguments) {
    log << QStringLiteral("office ") + member + QLatin1Char('(') + arguments + QLatin1Char(')');
    if (onCall) onCall(member);
    if (failing.count(member)) throw RuntimeError(-2147467259, QStringLiteral("office call ") + member + QStringLiteral(" failed"));
}

std::shared_ptr<OfficeObject> FakeOffice::createServiceManager() {
    call(QStringLiteral("createServiceManager"), {});
    if (!available) throw Err::cannotCreateObject();
    return std::make_shared<FakeObject>(*this, QStringLiteral("serviceManager"));
}

void FakeOffice::shutdown() { log << QStringLiteral("office shutdown"); }

void FakeOffice::setTargetQueue(const QString& queue) {
    log << QStringLiteral("office target ") + queue;
    target = queue;
}

void FakeOffice::print() { lastPrint = onPrint && !onPrint(target) ? PrintJobState::Failed : PrintJobState::Spooled; }

void FakeShell::execute(QObject*, const QString& file, const QString& workingFolder, int showMode) {
    executed << file;
    log << QStringLiteral("shell ") + file + QLatin1Char(' ') + workingFolder + QLatin1Char(' ') + QString::number(showMode);
}

void FakeShell::changeNotify(long eventId, unsigned flags) {
    log << QStringLiteral("changeNotify 0x") + QString::number(eventId, 16) + QLatin1Char(' ') + QString::number(flags);
}

QString FakeShell::desktopFolder() {
    if (desktopUnknown) throw Err::pathNotFound();
    return desktop;
}

void FakeRuntime::sleep(int milliseconds) {
    log << QStringLiteral("sleep ") + QString::number(milliseconds);
    clock = clock.addMSecs(milliseconds);
}

void FakeRuntime::pumpMessages() {
    ++pumps;
    log << QStringLiteral("pump");
    if (onPump) onPump();
}

void FakeRuntime::waitWithEvents(int milliseconds) {
    log << QStringLiteral("wait ") + QString::number(milliseconds);
    clock = clock.addMSecs(milliseconds);
    if (onPump) onPump();
}

void FakeRuntime::endProgram() {
    log << QStringLiteral("endProgram");
    throw ProgramEnded{};
}

QStringList FakePlatform::logOf(const QStringList& prefixes) const {
    QStringList out;
    for (const QString& line : log)
        for (const QString& p : prefixes)
            if (line.startsWith(p)) {
                out << line;
                break;
            }
    return out;
}
