#pragma once
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>

#include "batch/Report.h"
#include "platform/PrintQueues.h"
#include "platform/RuntimeError.h"

// The failed documents of an earlier report, taken up again. A failed document whose job the printing
// system still knows is asked about first: printed after all, or still on its way (followed again), it is
// never sent twice; only the others are printed again.
struct RetryPlan {
    QString printer;      // the printer the report names
    QStringList documents;
    QList<std::optional<DocumentResult>> settled;  // per document: what it is without printing it again
};

// Throws RuntimeError naming the fault when the report cannot be read as one.
RetryPlan PlanRetry(const QByteArray& report, PrintQueues& printers);
