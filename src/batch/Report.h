#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

#include "engine/DocumentInspection.h"

// What became of one document of the run.
struct DocumentResult {
    enum class Outcome { Printed, Written, Checked, Failed, Skipped };
    QString path;
    Outcome outcome = Outcome::Skipped;
    QString printer;  // printed: the printer that took the job
    int job = 0;      // printed: the printing system's job id
    QString pdf;      // written: the PDF file
    int pages = 0;    // 0 when the office did not tell
    double seconds = 0;
    QString reason;   // failed or skipped: why
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

// The run's report: every document in list order, documents not reached as skipped.
QByteArray ReportJson(const QList<DocumentResult>& results);

// The run's exit status: 0 when every document was printed, written or checked, 1 otherwise.
int ExitStatus(const QList<DocumentResult>& results);
