#pragma once
#include <QByteArray>
#include <atomic>
#include <map>
#include <mutex>
#include <vector>

#include "platform/Printers.h"

// CUPS destinations of the scheduler that CUPS_SERVER names (the system's by default).
// A printer's name is its queue's description (printer-info) when that is set and names no
// other queue, else the queue name; the user's default lives in the per-user lpoptions.
class CupsPrinters : public Printers {
public:
    QStringList installedPrinters() override;
    QString defaultPrinter() override;
    // Writes ~/.cups/lpoptions (root's too), so other users and the scheduler keep their default.
    void setDefaultPrinter(const QString& name) override;
    void holdUserDefault() override;
    void releaseUserDefault() override;
    QString queueOf(const QString& name) override;
    QString refusal(const QString& name) override;
    int newestJobId() override;
    QList<PrintJob> jobsAfter(int after) override;
    PrintJob job(int id, const QString& printer) override;
    PrinterState printerState(const QString& printer) override;
    OptionSupport supportOf(const QString& queue, const QString& option, const QString& value) override;
    PrintJob sendPdf(const QString& queue, const QString& file, const QString& title, const JobOptions& options) override;

private:
    // The user's own options for a queue (lpoptions), name and value, as they were when first asked for.
    std::vector<std::pair<QByteArray, QByteArray>> userOptions(const QByteArray& queue);

    std::atomic<int> newestSeen_{0};  // the user's newest job id found last; offices' threads share it
    std::mutex optionsMutex_;
    std::map<QByteArray, std::vector<std::pair<QByteArray, QByteArray>>> userOptions_;
};
