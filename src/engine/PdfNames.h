#pragma once
#include <QDateTime>
#include <QSet>
#include <QString>

// How a document's PDF is named: shared by the window's PDF printer runs and the command's export.

// Characters a file name cannot hold on the systems the PDFs travel to become blanks; quotes, '#'
// and line breaks go.
QString CleanPdfName(QString name);

// Leading and trailing spaces only, as the classic Trim.
QString TrimSpaces(const QString& text);

// The name of a PDF whose document's name leaves nothing: "PrintOut", the time and the document's
// position, e.g. "PrintOut202108311504251".
QString PrintOutName(const QDateTime& now, int position);

// folder/name.pdf with the name cut so that it fits one file name (255 bytes with ".pdf"); a path in
// `keep` gets the next free "name (2).pdf", "name (3).pdf"...
QString PdfPath(const QString& folder, const QString& name, const QSet<QString>& keep);
