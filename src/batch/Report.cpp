#include "Report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QString OutcomeName(DocumentResult::Outcome outcome) {
    switch (outcome) {
        case DocumentResult::Outcome::Printed: return QStringLiteral("printed");
        case DocumentResult::Outcome::Written: return QStringLiteral("written");
        case DocumentResult::Outcome::Failed: return QStringLiteral("failed");
        case DocumentResult::Outcome::Skipped: break;
    }
    return QStringLiteral("skipped");
}

QByteArray ReportJson(const QList<DocumentResult>& results) {
    QJsonArray documents;
    QJsonObject counts{{"printed", 0}, {"written", 0}, {"failed", 0}, {"skipped", 0}};
    for (const DocumentResult& r : results) {
        const QString outcome = OutcomeName(r.outcome);
        counts[outcome] = counts[outcome].toInt() + 1;
        QJsonObject d{{"path", r.path}, {"outcome", outcome}, {"seconds", qRound(r.seconds * 1000) / 1000.0}};
        if (!r.printer.isEmpty()) d[QStringLiteral("printer")] = r.printer;
        if (r.job > 0) d[QStringLiteral("job")] = r.job;
        if (!r.pdf.isEmpty()) d[QStringLiteral("pdf")] = r.pdf;
        if (r.pages > 0) d[QStringLiteral("pages")] = r.pages;
        if (!r.reason.isEmpty()) d[QStringLiteral("reason")] = r.reason;
        documents.append(d);
    }
    return QJsonDocument(QJsonObject{{"documents", documents}, {"counts", counts}, {"exitStatus", ExitStatus(results)}})
        .toJson(QJsonDocument::Indented);
}

int ExitStatus(const QList<DocumentResult>& results) {
    for (const DocumentResult& r : results)
        if (r.outcome != DocumentResult::Outcome::Printed && r.outcome != DocumentResult::Outcome::Written) return 1;
    return 0;
}
