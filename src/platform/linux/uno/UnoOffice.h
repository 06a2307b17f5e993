#pragma once
#include <QSet>
#include <memory>

#include "CallWatchdog.h"
#include "OfficeProcess.h"
#include "OfficeSession.h"
#include "OfficeSettings.h"
#include "OfficeSlot.h"
#include "platform/Office.h"

// The office over its UNO bridge. Where the program was meant to create "com.sun.star.ServiceManager"
// through COM, it connects here over a private pipe to an office process of this object's own, on a
// profile no other office of the user has; the office stays warm between documents and is started
// afresh when it has died, hangs, or does not know the printer to print on.
class UnoOffice : public Office {
public:
    UnoOffice();
    ~UnoOffice() override;
    std::shared_ptr<OfficeObject> createServiceManager() override;
    void setTargetQueue(const QString& queue) override;
    void exportOnly() override;
    void runUnsandboxed() override;
    bool sandboxed() const override { return settings_.sandboxed; }
    void shutdown() override;

private:
    std::shared_ptr<OfficeSession> reachOffice();
    std::shared_ptr<OfficeSession> startOffice();
    std::shared_ptr<OfficeSession> tryConnect();
    void endOffice(bool askFirst);
    OfficeSession::Guard guard() const;

    OfficeSlot slot_;
    OfficeSettings settings_;
    std::shared_ptr<OfficeProcess> process_;
    std::shared_ptr<CallWatchdog> watchdog_;
    std::shared_ptr<OfficeSession> session_;
    QSet<QString> queuesNoFreshOfficeKnows_;
    QString targetQueue_;
    bool exportOnly_ = false;
};
