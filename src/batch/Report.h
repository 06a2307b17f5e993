#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

// What became of one document of the run.
struct DocumentResult {
    enum class Outcome { Printed, Written, Failed, Skipped };
    QString path;
    Outcome outcome = Outcome::Skipped;
    QString printer;  // printed: the printer that took the job
    int job = 0;      // printed: the printing system's job id
    QString pdf;      // written: the PDF file
    int pages = 0;    // 0 when the office did not tell
    double seconds = 0;
    QString reason;   // failed or skipped: why
};

QString OutcomeName(DocumentResult::Outcome outcome);

// The run's report: every document in list order, documents not reached as skipped.
QByteArray ReportJson(const QList<DocumentResult>& results);

// The run's exit status: 0 when every document was printed or written, 1 otherwise.
int ExitStatus(const QList<DocumentResult>& results);
