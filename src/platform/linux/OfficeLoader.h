#pragma once
#include <memory>

#include "platform/Office.h"

// The office bridge lives in a plugin loaded at run time, so the program starts (and says that
// the office is missing) on a machine without the office's UNO runtime.
std::unique_ptr<Office> LoadOffice(const QString& pluginFolder);

// An office that cannot be reached: where the office's bridge is missing, and for work that needs none.
class UnreachableOffice : public Office {
public:
    std::shared_ptr<OfficeObject> createServiceManager() override { throw Err::cannotCreateObject(); }
    void setTargetQueue(const QString&) override {}
    void exportOnly() override {}
    void shutdown() override {}
};
