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

// How the last print command of a document stands: the office renders the job after the command has
// returned, and then hands it to the printing system or fails to.
enum class PrintJobState { Rendering, Spooled, Failed };

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
    // Document: the state of its last print command, waiting up to waitMs for the office to finish
    // rendering it. Throws RuntimeError when the office is gone, or hangs (it neither answers nor
    // works; it is then ended).
    virtual PrintJobState printJobState(int /*waitMs*/) { throw Err::notSupported(); }
    // Document: writes it to url through the export filter the properties name (FilterName...).
    virtual void storeToURL(const QString&, const QList<PropertyValue>&) { throw Err::notSupported(); }
    // Document: its number of pages as laid out now.
    virtual int pageCount() { throw Err::notSupported(); }
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
    // The queue that print commands go to from now on; the empty text: the user's default printer at
    // the moment of printing. Another window of the user may switch the default at any time.
    virtual void setTargetQueue(const QString& queue) = 0;
    // From now on the office only exports documents and prints none, so it need not know any printer
    // (else an office that does not know the queue the documents are to print on is renewed).
    virtual void exportOnly() = 0;
    // Ends the office process this program started, if any.
    virtual void shutdown() = 0;
    // Documents go to an office that works on them alone: no network, no file but the document
    // (see OfficeSandbox.h). The office this program starts is sandboxed unless it is told this:
    // from now on it may reach the network and read any file the user can (UNSAFE, on request only).
    virtual void runUnsandboxed() {}
    virtual bool sandboxed() const { return false; }
};
