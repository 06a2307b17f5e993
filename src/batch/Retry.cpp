#include "Retry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// What the printing system says of the document's earlier job; nothing when it is to be printed again.
std::optional<DocumentResult> earlierJob(PrintQueues& printers, const QString& path, const QString& printer, int id) {
    if (id <= 0 || printer.isEmpty()) return std::nullopt;
    PrintJob job;
    try {
        job = printers.job(id, printer);
    } catch (const RuntimeError&) {
        return std::nullopt;  // forgotten: nothing says it printed
    }
    DocumentResult result{path};
    result.printer = printer;
    result.job = id;
    if (job.state == PrintJob::State::Completed) {
        result.outcome = DocumentResult::Outcome::Printed;
        result.reason = QStringLiteral("job %1 printed after all; not sent again").arg(id);
        return result;
    }
    if (job.finished()) return std::nullopt;  // aborted or canceled: it did not print
    result.outcome = DocumentResult::Outcome::Queued;
    result.reason = QStringLiteral("job %1 is still in the queue; not sent again").arg(id);
    return result;
}
}  // namespace

RetryPlan PlanRetry(const QByteArray& report, PrintQueues& printers) {
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(report, &error);
    if (error.error != QJsonParseError::NoError || !json.object().value(QStringLiteral("documents")).isArray())
        throw RuntimeError(13, QStringLiteral("it is no report of quorvane-batch --json (%1)")
                                   .arg(error.error != QJsonParseError::NoError ? error.errorString() : QStringLiteral("no documents")));
    RetryPlan plan;
    plan.printer = json.object().value(QStringLiteral("printer")).toString();
    for (const QJsonValue& value : json.object().value(QStringLiteral("documents")).toArray()) {
        const QJsonObject d = value.toObject();
        if (d.value(QStringLiteral("outcome")).toString() != QStringLiteral("failed")) continue;
        const QString path = d.value(QStringLiteral("path")).toString();
        if (path.isEmpty()) continue;
        const QString printer = d.value(QStringLiteral("printer")).toString();
        if (plan.printer.isEmpty()) plan.printer = printer;  // a report of a run that named no printer
        plan.documents << path;
        plan.settled << earlierJob(printers, path, printer, d.value(QStringLiteral("job")).toInt());
    }
    return plan;
}
