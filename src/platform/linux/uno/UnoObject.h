#pragma once
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/uno/XInterface.hpp>
#include <memory>

#include "OfficeSession.h"
#include "platform/Office.h"

// An office object reached late-bound: a member works when the object has the interface behind it,
// and fails with Err::notSupported() otherwise. Each member is one bounded office call.
class UnoObject : public OfficeObject {
public:
    UnoObject(std::shared_ptr<OfficeSession> session, css::uno::Reference<css::uno::XInterface> object)
        : session_(std::move(session)), object_(std::move(object)) {}
    ~UnoObject() override;

    std::shared_ptr<OfficeObject> createInstance(const QString& service) override;
    PropertyValue Bridge_GetStruct(const QString& type) override;
    std::shared_ptr<OfficeObject> loadComponentFromURL(const QString& url, const QString& target, qint16 flags,
                                                       const QList<PropertyValue>& properties) override;
    std::shared_ptr<OfficeObject> getCurrentController() override;
    std::shared_ptr<OfficeObject> getFrame() override;
    void close(bool deliverOwnership) override;
    PrintJobState printJobState(int waitMs) override;
    void storeToURL(const QString& url, const QList<PropertyValue>& properties) override;
    int pageCount() override;
    QVariant executeDispatch(OfficeObject& frame, const QString& command, const QString& target, qint16 flags,
                             const QList<PropertyValue>& arguments) override;

private:
    template <class I>
    css::uno::Reference<I> as() const;
    void watchPrintJob(const css::uno::Reference<css::frame::XModel>& document);
    std::shared_ptr<OfficeObject> wrap(const css::uno::Reference<css::uno::XInterface>& result, const QString& what) const;

    std::shared_ptr<OfficeSession> session_;
    css::uno::Reference<css::uno::XInterface> object_;
    QString staged_;  // a loaded document: the folder of the copy its sandboxed office was given
};
