#include "Report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QString OutcomeName(DocumentResult::Outcome outcome) {
    switch (outcome) {
        case DocumentResult::Outcome::Printed: return QStringLiteral("printed");
        case DocumentResult::Outcome::Written: return QStringLiteral("written");
        case DocumentResult::Outcome::Checked: return QStringLiteral("checked");
        case DocumentResult::Outcome::Queued: return QStringLiteral("queued");
        case DocumentResult::Outcome::Waiting: return QStringLiteral("waiting");
        case DocumentResult::Outcome::Failed: return QStringLiteral("failed");
        case DocumentResult::Outcome::Skipped: break;
    }
    return QStringLiteral("skipped");
}

namespace {
QJsonArray referencesJson(const QList<OutsideReference>& references) {
    QJsonArray list;
    for (const OutsideReference& r : references) list.append(QJsonObject{{"kind", r.kind}, {"target", r.target}});
    return list;
}
}  // namespace

// A checked document's outside content is what it holds; a printed one's is what its sandbox refused.
QString OutsideKey(const DocumentResult& r) {
    if (r.outcome == DocumentResult::Outcome::Checked || !r.sandboxed) return QStringLiteral("outside");
    return QStringLiteral("refused");
}

QJsonObject DocumentJson(const DocumentResult& r) {
    QJsonObject d{{"path", r.path}, {"outcome", OutcomeName(r.outcome)}, {"seconds", qRound(r.seconds * 1000) / 1000.0}};
    if (!r.printer.isEmpty()) d[QStringLiteral("printer")] = r.printer;
    if (r.job > 0) d[QStringLiteral("job")] = r.job;
    if (!r.pdf.isEmpty()) d[QStringLiteral("pdf")] = r.pdf;
    if (r.pages > 0) d[QStringLiteral("pages")] = r.pages;
    if (!r.reason.isEmpty()) d[QStringLiteral("reason")] = r.reason;
    if (!r.outside.isEmpty()) d[OutsideKey(r)] = referencesJson(r.outside);
    if (r.outcome == DocumentResult::Outcome::Checked) {
        d[QStringLiteral("passwordProtected")] = r.passwordProtected;
        d[QStringLiteral("missingFonts")] = QJsonArray::fromStringList(r.missingFonts);
    }
    return d;
}

QByteArray ReportJson(const QList<DocumentResult>& results, const QString& printer) {
    QJsonArray documents;
    QJsonObject counts{{"printed", 0}, {"written", 0}, {"queued", 0}, {"waiting", 0}, {"failed", 0}, {"skipped", 0}};
    for (const DocumentResult& r : results) {
        const QString outcome = OutcomeName(r.outcome);
        counts[outcome] = counts[outcome].toInt() + 1;
        documents.append(DocumentJson(r));
    }
    QJsonObject report{{"documents", documents}, {"counts", counts}, {"exitStatus", ExitStatus(results)}};
    if (!printer.isEmpty()) report[QStringLiteral("printer")] = printer;
    return QJsonDocument(report).toJson(QJsonDocument::Indented);
}

int ExitStatus(const QList<DocumentResult>& results) {
    int status = 0;
    for (const DocumentResult& r : results) {
        if (r.outcome == DocumentResult::Outcome::Failed || r.outcome == DocumentResult::Outcome::Skipped) return 1;
        if (r.outcome == DocumentResult::Outcome::Waiting) status = WaitingExitStatus;
    }
    return status;
}
