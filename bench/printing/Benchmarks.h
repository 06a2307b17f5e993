#pragma once
// The three measurements. Each returns its figures by name; the table is made from the names.
#include <QMap>
#include <QString>
#include <QStringList>

#include "TimedRun.h"

using Figures = QMap<QString, double>;

// One-page Writer documents folder/docNN.odt, each with its own text (DocumentText).
QStringList MakeDocuments(const QString& folder, int count);
QString DocumentText(int number);

// The run against a fresh `soffice` per document, under the names prefix + "run", "refMean", ...
void AddComparison(Figures& figures, const QString& prefix, const RunFigures& run, const std::vector<double>& reference);

// CPU of a pause on this machine's runtime, against a busy loop of the same length.
Figures PauseFigures();

// The documents printed on the scheduler's queue Alpha by the program, then by `soffice -p`.
Figures QueueFigures(PrivateCupsd& cups, const QStringList& documents);

// The documents turned into PDFs through the PDF printer by the program, then by
// `soffice --convert-to pdf`; run as the scheduler's unprivileged test user, in its home.
Figures PdfFigures(int count);
