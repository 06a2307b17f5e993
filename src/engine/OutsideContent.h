#pragma once
#include <QString>

#include "engine/DocumentInspection.h"

// "kind target, kind target": outside content as a line shows it.
QString DescribeOutside(const QList<OutsideReference>& references);
// The line that warns of a document's outside content: refused by its sandboxed office, or (unsandboxed)
// not; the empty text for a document that refers to none.
QString OutsideContentWarning(const QString& path, const QList<OutsideReference>& references, bool sandboxed);
// The window's way to say it: its texts stay its own, the warning goes to standard error.
void WarnOfOutsideContent(const QString& path, bool sandboxed);
