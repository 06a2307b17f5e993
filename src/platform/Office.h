#pragma once
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>

#include "RuntimeError.h"

struct PropertyValue {
    QString typeName;  // the struct's type, as the bridge named it
    QString name;
    QVariant value;
};

// An object of the office suite, reached late-bound: a member the object does not have
// fails with Err::notSupported(), as a call by name would. A failing call throws RuntimeError.
class OfficeObject {
public:
    virtual ~OfficeObject() = default;
    // Service manager
    virtual std::shared_ptr<OfficeObject> createInstance(const QString&) { throw Err::notSupported(); }
    virtual PropertyValue Bridge_GetStruct(const QString&) { throw Err::notSupported(); }
    // Desktop
    virtual std::shared_ptr<OfficeObject> loadComponentFromURL(const QString&, const QString&, qint16,
                                                               const QList<PropertyValue>&) { throw Err::notSupported(); }
    // Document, controller
    virtual std::shared_ptr<OfficeObject> getCurrentController() { throw Err::notSupported(); }
    virtual std::shared_ptr<OfficeObject> getFrame() { throw Err::notSupported(); }
    virtual void close(bool) { throw Err::notSupported(); }
    // Dispatch helper
    virtual QVariant executeDispatch(OfficeObject&, const QString&, const QString&, qint16,
                                     const QList<PropertyValue>&) { throw Err::notSupported(); }
};

// The office suite.
class Office {
public:
    virtual ~Office() = default;
    // "com.sun.star.ServiceManager": connects to the user's office, starting it when none answers.
    // Throws Err::cannotCreateObject() when the office cannot be reached.
    virtual std::shared_ptr<OfficeObject> createServiceManager() = 0;
    // Ends the office process this program started, if any.
    virtual void shutdown() = 0;
};
