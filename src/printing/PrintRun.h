#pragma once
#include <QString>

#include "platform/Platform.h"

class QProgressBar;

// The address the office loads a document from: "file://" and the path, percent-encoded where a
// URL requires it ('#', '%', '?', blanks, non-ASCII), so that every file name can be loaded.
QString FileUrl(const QString& path);

// Shows text on the progress bar exactly; the bar's own placeholders (%p, %v, %m) are not expanded.
void SetProgressText(QProgressBar* bar, const QString& text);
