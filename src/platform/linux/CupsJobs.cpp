// The printing system's own record of the user's jobs and of a printer's state, asked over IPP, and the
// jobs the program hands to it itself.
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <memory>
#include <optional>

#include "CupsDestinations.h"
#include "CupsPrinters.h"
#include "platform/RuntimeError.h"

namespace {
using Response = std::unique_ptr<ipp_t, decltype(&ippDelete)>;

// The scheduler's name for a queue (or class) in requests.
QByteArray PrinterUri(const QByteArray& queue) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s", queue.constData());
    return uri;
}

// Where the requests about a printer go: the scheduler, or a printer's own address (see IsPrinterAddress).
class Endpoint {
public:
    explicit Endpoint(const QString& queue) {
        if (!IsPrinterAddress(queue)) {
            printerUri = PrinterUri(queue.toUtf8());
            return;
        }
        printerUri = queue.toUtf8();
        char scheme[32], user[256], host[256], path[1024];
        int port = 0;
        if (httpSeparateURI(HTTP_URI_CODING_ALL, printerUri.constData(), scheme, sizeof scheme, user, sizeof user, host, sizeof host,
                            &port, path, sizeof path) < HTTP_URI_STATUS_OK)
            throw RuntimeError(68, QStringLiteral("\"%1\" is not a printer address").arg(queue));
        resource = path;
        const bool secure = qstrcmp(scheme, "ipps") == 0;
        http_ = httpConnect2(host, port, nullptr, AF_UNSPEC, secure ? HTTP_ENCRYPTION_ALWAYS : HTTP_ENCRYPTION_IF_REQUESTED, 1,
                             30000, nullptr);
        if (!http_) throw RuntimeError(68, QStringLiteral("the printer at \"%1\" cannot be reached").arg(queue));
    }
    ~Endpoint() {
        if (http_) httpClose(http_);
    }
    Endpoint(const Endpoint&) = delete;
    Endpoint& operator=(const Endpoint&) = delete;
    http_t* http() const { return http_; }  // CUPS_HTTP_DEFAULT: the scheduler

    QByteArray printerUri;
    QByteArray resource = "/";

private:
    http_t* http_ = CUPS_HTTP_DEFAULT;
};

// The response to a request about the object at uri (uriName: "printer-uri" or "job-uri"); null on failure.
Response Ask(ipp_t* request, const char* uriName, const char* uri, const std::vector<const char*>& attributes,
             const Endpoint* endpoint = nullptr) {
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, uriName, nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", int(attributes.size()), nullptr,
                  attributes.data());
    Response response(endpoint ? cupsDoRequest(endpoint->http(), request, endpoint->resource.constData())
                               : cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"),
                      &ippDelete);
    if (!response || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) return {nullptr, &ippDelete};
    return response;
}

// A keyword attribute's values, comma separated, "none" left out.
QString Keywords(ipp_attribute_t* attribute) {
    QStringList words;
    for (int i = 0; attribute && i < ippGetCount(attribute); ++i)
        if (const char* word = ippGetString(attribute, i, nullptr); word && qstrcmp(word, "none") != 0) words << QString::fromUtf8(word);
    return words.join(QStringLiteral(", "));
}

QString Text(ipp_t* response, const char* name) {
    ipp_attribute_t* attribute = ippFindAttribute(response, name, IPP_TAG_ZERO);
    return attribute ? QString::fromUtf8(ippGetString(attribute, 0, nullptr)) : QString();
}

QString QueueFromUri(const QString& uri) { return uri.section(QLatin1Char('/'), -1); }

PrintJob::State StateOf(int ippState) {
    switch (ippState) {
        case IPP_JSTATE_HELD: return PrintJob::State::Held;
        case IPP_JSTATE_PROCESSING: return PrintJob::State::Processing;
        case IPP_JSTATE_STOPPED: return PrintJob::State::Stopped;
        case IPP_JSTATE_CANCELED: return PrintJob::State::Cancelled;
        case IPP_JSTATE_ABORTED: return PrintJob::State::Aborted;
        case IPP_JSTATE_COMPLETED: return PrintJob::State::Completed;
        default: return PrintJob::State::Pending;
    }
}

const std::vector<const char*> JobAttributes{"job-id", "job-printer-uri", "job-state", "job-printer-state-message",
                                             "job-state-reasons", "job-name"};

// The jobs of a Get-Jobs or Get-Job-Attributes response, each group one job.
QList<PrintJob> JobsOf(ipp_t* response) {
    QList<PrintJob> jobs;
    std::optional<Destinations> dests;  // asked for only when there is a job to name the printer of
    PrintJob job;
    bool any = false;
    const auto finish = [&] {
        if (any && job.id > 0) jobs << job;
        job = PrintJob{};
        any = false;
    };
    for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
        const char* name = ippGetName(a);
        if (!name) {
            finish();
            continue;
        }
        if (ippGetGroupTag(a) != IPP_TAG_JOB) continue;
        any = true;
        const QByteArray n(name);
        if (n == "job-id") job.id = ippGetInteger(a, 0);
        else if (n == "job-printer-uri") {
            if (!dests) dests.emplace();
            job.printer = dests->nameOfQueue(QueueFromUri(QString::fromUtf8(ippGetString(a, 0, nullptr))));
        }
        else if (n == "job-state") job.state = StateOf(ippGetInteger(a, 0));
        else if (n == "job-printer-state-message") job.reason = QString::fromUtf8(ippGetString(a, 0, nullptr));
        else if (n == "job-state-reasons") job.stateReasons = Keywords(a);
        else if (n == "job-name") job.title = QString::fromUtf8(ippGetString(a, 0, nullptr));
    }
    finish();
    return jobs;
}

// The state of a queue of the scheduler, or of a printer at its address; `unknownWhy` gets why it is
// not known.
PrinterState StateOfQueue(const QString& queue, QString* unknownWhy = nullptr) {
    PrinterState printer;
    try {
        const Endpoint endpoint(queue);
        const Response response = Ask(ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES), "printer-uri", endpoint.printerUri.constData(),
                                      {"printer-is-accepting-jobs", "printer-state", "printer-state-message", "printer-state-reasons"},
                                      &endpoint);
        if (!response) {
            printer.known = false;
            if (unknownWhy)
                *unknownWhy = cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND
                                  ? QStringLiteral("the printer is not installed (any more)")
                                  : QStringLiteral("the printing system does not answer (%1)").arg(QString::fromUtf8(cupsLastErrorString()));
            return printer;
        }
        printer.message = Text(response.get(), "printer-state-message");
        printer.reasons = Keywords(ippFindAttribute(response.get(), "printer-state-reasons", IPP_TAG_KEYWORD));
        ipp_attribute_t* accepting = ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
        printer.accepting = !accepting || ippGetBoolean(accepting, 0);
        ipp_attribute_t* state = ippFindAttribute(response.get(), "printer-state", IPP_TAG_ENUM);
        printer.stopped = state && ippGetInteger(state, 0) == IPP_PSTATE_STOPPED;
    } catch (const RuntimeError& e) {
        printer.known = false;
        if (unknownWhy) *unknownWhy = e.description;
    }
    return printer;
}

QString RefusalOfQueue(const QString& queue) {
    QString unknownWhy;
    const PrinterState printer = StateOfQueue(queue, &unknownWhy);
    if (!printer.known) return unknownWhy;
    const QString because = printer.message.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(printer.message);
    if (!printer.accepting) return QStringLiteral("the printer does not accept jobs") + because;
    if (printer.stopped) return QStringLiteral("the printer is stopped") + because;
    return {};
}

ipp_t* GetJobs(int firstId, const std::vector<const char*>& attributes, Response& out) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOBS);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "all");
    ippAddBoolean(request, IPP_TAG_OPERATION, "my-jobs", 1);
    if (firstId > 0) ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "first-job-id", firstId);
    out = Ask(request, "printer-uri", "ipp://localhost/", attributes);
    if (!out) ThrowUnreachable();
    return out.get();
}
}  // namespace

QString CupsPrinters::refusal(const QString& name) {
    if (IsPrinterAddress(name)) return RefusalOfQueue(name);
    const Destinations dests;  // a scheduler that cannot be asked says so itself
    try {
        return RefusalOfQueue(QString::fromUtf8(dests.queueNamed(name)->name));
    } catch (const RuntimeError&) {
        return QStringLiteral("the printer is not installed (any more)");
    }
}

PrinterState CupsPrinters::printerState(const QString& name) {
    if (IsPrinterAddress(name)) return StateOfQueue(name);
    try {
        return StateOfQueue(QString::fromUtf8(Destinations().queueNamed(name)->name));
    } catch (const RuntimeError&) {
        return {false};
    }
}

// Job ids only grow, so the jobs are listed from the newest one seen before, not the whole history.
// When that one is no longer listed (purged, or a scheduler that starts its ids anew) all are listed.
int CupsPrinters::newestJobId() {
    const auto newestFrom = [](int first, bool* firstListed) {
        Response response{nullptr, &ippDelete};
        ipp_t* jobs = GetJobs(first, {"job-id"}, response);
        int newest = 0;
        for (ipp_attribute_t* a = ippFindAttribute(jobs, "job-id", IPP_TAG_INTEGER); a;
             a = ippFindNextAttribute(jobs, "job-id", IPP_TAG_INTEGER)) {
            newest = std::max(newest, ippGetInteger(a, 0));
            if (ippGetInteger(a, 0) == first) *firstListed = true;
        }
        return newest;
    };
    const int seen = newestSeen_;
    bool seenListed = false;
    int newest = seen > 0 ? newestFrom(seen, &seenListed) : 0;
    if (!seenListed) newest = newestFrom(0, &seenListed);
    newestSeen_ = newest;
    return newest;
}

QList<PrintJob> CupsPrinters::jobsAfter(int after) {
    Response response{nullptr, &ippDelete};
    QList<PrintJob> jobs;
    for (const PrintJob& job : JobsOf(GetJobs(after + 1, JobAttributes, response)))
        if (job.id > after) jobs << job;
    std::sort(jobs.begin(), jobs.end(), [](const PrintJob& a, const PrintJob& b) { return a.id < b.id; });
    return jobs;
}

PrintJob CupsPrinters::job(int id, const QString& printer) {
    QList<PrintJob> jobs;
    if (IsPrinterAddress(printer)) {
        // A printer at its own address names its jobs by its address and their number.
        const Endpoint endpoint(printer);
        ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
        ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", id);
        const Response response = Ask(request, "printer-uri", endpoint.printerUri.constData(), JobAttributes, &endpoint);
        if (response) jobs = JobsOf(response.get());
        for (PrintJob& job : jobs) job.printer = printer;
    } else {
        const QByteArray uri = "ipp://localhost/jobs/" + QByteArray::number(id);
        const Response response = Ask(ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES), "job-uri", uri.constData(), JobAttributes);
        if (response) jobs = JobsOf(response.get());
    }
    if (jobs.isEmpty())
        throw RuntimeError(68, QStringLiteral("The printing system has no job %1 (%2)").arg(id).arg(QString::fromUtf8(cupsLastErrorString())));
    return jobs.first();
}

// One Print-Job request: the scheduler answers with the job's id and state once it holds the whole file.
// The job carries the user's own options for the queue (lpoptions), as `lp` and the office apply them,
// with the run's options over them.
PrintJob CupsPrinters::sendPdf(const QString& queue, const QString& file, const QString& title, const JobOptions& jobOptions) {
    const QByteArray name = queue.toUtf8();
    cups_option_t* options = nullptr;
    int count = 0;
    for (const auto& [option, value] : userOptions(name)) count = cupsAddOption(option.constData(), value.constData(), count, &options);
    for (const auto& [option, value] : jobOptions)
        count = cupsAddOption(option.toUtf8().constData(), value.toUtf8().constData(), count, &options);

    const Endpoint endpoint(queue);
    ipp_t* request = ippNewRequest(IPP_OP_PRINT_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, endpoint.printerUri.constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, title.toUtf8().constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, CUPS_FORMAT_PDF);
    cupsEncodeOptions2(request, count, options, IPP_TAG_OPERATION);
    cupsEncodeOptions2(request, count, options, IPP_TAG_JOB);
    cupsFreeOptions(count, options);
    const Response response(
        cupsDoFileRequest(endpoint.http(), request, endpoint.resource.constData(), QFile::encodeName(file).constData()), &ippDelete);
    ipp_attribute_t* id = response ? ippFindAttribute(response.get(), "job-id", IPP_TAG_INTEGER) : nullptr;
    if (!id || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        throw RuntimeError(68, QString::fromUtf8(cupsLastErrorString()));
    ipp_attribute_t* state = ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM);
    return {ippGetInteger(id, 0), {}, state ? StateOf(ippGetInteger(state, 0)) : PrintJob::State::Pending, {}};
}

namespace {
// Two attributes whose list libcups does not read as IPP means it: job-priority-supported is the number
// of levels (any priority from 1 up to it), and job-hold-until takes a time of day besides its keywords.
std::optional<bool> supportedBeyondTheList(const QString& option, const QString& value, ipp_attribute_t* supported) {
    if (option == QStringLiteral("job-priority") && ippGetValueTag(supported) == IPP_TAG_INTEGER) {
        bool number = false;
        const int priority = value.toInt(&number);
        return number && priority >= 1 && priority <= ippGetInteger(supported, 0);
    }
    static const QRegularExpression timeOfDay(QStringLiteral("^([01][0-9]|2[0-3]):[0-5][0-9](:[0-5][0-9])?$"));
    if (option == QStringLiteral("job-hold-until") && timeOfDay.match(value).hasMatch()) return true;
    return std::nullopt;
}
}  // namespace

// What the printer lists as supported (its -supported attribute), as `lp` is checked by the scheduler.
OptionSupport CupsPrinters::supportOf(const QString& queue, const QString& option, const QString& value) {
    const bool address = IsPrinterAddress(queue);
    cups_dest_t* dest = address ? cupsGetDestWithURI(nullptr, queue.toUtf8().constData())
                                : cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.toUtf8().constData(), nullptr);
    if (!dest) ThrowUnreachable();
    http_t* http = address ? cupsConnectDest(dest, CUPS_DEST_FLAGS_DEVICE, 30000, nullptr, nullptr, 0, nullptr, nullptr)
                           : CUPS_HTTP_DEFAULT;
    OptionSupport support;
    if (cups_dinfo_t* info = cupsCopyDestInfo(http, dest)) {
        const QByteArray name = option.toUtf8();
        if (ipp_attribute_t* supported = cupsFindDestSupported(http, dest, info, name.constData())) {
            std::vector<char> text(size_t(ippAttributeString(supported, nullptr, 0)) + 1);
            ippAttributeString(supported, text.data(), text.size());
            support.supported = QString::fromUtf8(text.data()).replace(QLatin1Char(','), QStringLiteral(", "));
            const bool ok = supportedBeyondTheList(option, value, supported)
                                .value_or(cupsCheckDestSupported(http, dest, info, name.constData(), value.toUtf8().constData()));
            support.verdict = ok ? OptionSupport::Verdict::Supported : OptionSupport::Verdict::Unsupported;
        }
        cupsFreeDestInfo(info);
    }
    if (http) httpClose(http);
    cupsFreeDests(1, dest);
    return support;
}

// Read once per queue: asking for them costs the scheduler a request, and a run keeps the options its
// first job had.
std::vector<std::pair<QByteArray, QByteArray>> CupsPrinters::userOptions(const QByteArray& queue) {
    std::lock_guard lock(optionsMutex_);
    const auto known = userOptions_.find(queue);
    if (known != userOptions_.end()) return known->second;
    std::vector<std::pair<QByteArray, QByteArray>> options;
    if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(), nullptr)) {
        for (int i = 0; i < dest->num_options; ++i) options.emplace_back(dest->options[i].name, dest->options[i].value);
        cupsFreeDests(1, dest);
    }
    return userOptions_[queue] = options;
}
