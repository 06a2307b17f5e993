#include "OfficeLoader.h"

namespace {
class UnreachableOffice : public Office {
public:
    std::shared_ptr<OfficeObject> createServiceManager() override { throw Err::cannotCreateObject(); }
    void shutdown() override {}
};
}  // namespace

// Placeholder until the UNO plugin is written.
std::unique_ptr<Office> LoadOffice(const QString&) { return std::make_unique<UnreachableOffice>(); }
