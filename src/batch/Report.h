#pragma once
#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include "engine/DocumentInspection.h"

// What became of one document of the run.
struct DocumentResult {
    // Queued: its job is held by the printing system, not followed further (--no-wait). Waiting: its
    // job waits (held, a stopped printer, the run's bound over); it prints later and is not canceled.
    enum class Outcome { Printed, Written, Checked, Queued, Waiting, Failed, Skipped };
    QString path;
    Outcome outcome = Outcome::Skipped;
    QString printer;  // the printer that took the job
    int job = 0;      // the printing system's job id, once it took one
    QString pdf;      // written: the PDF file
    int pages = 0;    // 0 when the office did not tell
    double seconds = 0;
    QString reason;   // failed, waiting or skipped: why; printed: anything to know besides
    // What the document refers to outside itself: not loaded by a sandboxed office (refused), or
    // (unsandboxed) perhaps loaded.
    QList<OutsideReference> outside;
    bool sandboxed = true;
    // Checked: what a check tells besides.
    bool passwordProtected = false;
    QStringList missingFonts;
};

QString OutcomeName(DocumentResult::Outcome outcome);
// The report's name for the document's outside content: "refused" by its sandbox, else "outside".
QString OutsideKey(const DocumentResult& result);

// One document's part of a report.
QJsonObject DocumentJson(const DocumentResult& result);

// The run's report: the printer of the run (if any) and every document in list order, documents not
// reached as skipped.
QByteArray ReportJson(const QList<DocumentResult>& results, const QString& printer);

// The run's exit status: 0 when every document was printed, written, checked or queued; 1 when some
// failed or were skipped; WaitingExitStatus when none failed but some wait.
constexpr int WaitingExitStatus = 3;
int ExitStatus(const QList<DocumentResult>& results);
