#pragma once
#include <QString>

#include "platform/Platform.h"

class QProgressBar;

// Shows text on the progress bar exactly; the bar's own placeholders (%p, %v, %m) are not expanded.
void SetProgressText(QProgressBar* bar, const QString& text);
