#include "UnoObject.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDispatchHelper.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include "PrinterRouting.h"
#include "UnoValues.h"

using namespace css::uno;

namespace {
const QString PropertyValueType = QStringLiteral("com.sun.star.beans.PropertyValue");

Sequence<css::beans::PropertyValue> toSequence(const QList<PropertyValue>& properties) {
    Sequence<css::beans::PropertyValue> sequence(sal_Int32(properties.size()));
    auto* out = sequence.getArray();
    for (const PropertyValue& p : properties) {
        if (p.typeName != PropertyValueType) throw Err::typeMismatch();
        *out++ = css::beans::PropertyValue(toOUString(p.name), 0, toAny(p.value), css::beans::PropertyState_DIRECT_VALUE);
    }
    return sequence;
}
}  // namespace

template <class I>
Reference<I> UnoObject::as() const {
    Reference<I> typed(object_, UNO_QUERY);
    if (!typed.is()) throw Err::notSupported();
    return typed;
}

// A call that gives nothing back has failed, although the office raised nothing: say so here, not
// at the first use of the missing object.
std::shared_ptr<OfficeObject> UnoObject::wrap(const Reference<XInterface>& result, const QString& what) const {
    if (!result.is()) throw RuntimeError(OfficeErr::Exception, what);
    return std::make_shared<UnoObject>(session_, result);
}

std::shared_ptr<OfficeObject> UnoObject::createInstance(const QString& service) {
    return session_->call([&] {
        return wrap(as<css::lang::XMultiComponentFactory>()->createInstanceWithContext(toOUString(service),
                                                                                      session_->context()),
                    QStringLiteral("The office has no service \"%1\".").arg(service));
    });
}

// The office's struct for a name and a value; built here, the office needs to know nothing of it.
PropertyValue UnoObject::Bridge_GetStruct(const QString& type) {
    session_->call([&] { as<css::lang::XMultiComponentFactory>(); });
    if (type != PropertyValueType)
        throw RuntimeError(OfficeErr::Exception, QStringLiteral("No struct \"%1\" is known here.").arg(type));
    return {PropertyValueType, {}, {}};
}

std::shared_ptr<OfficeObject> UnoObject::loadComponentFromURL(const QString& url, const QString& target, qint16 flags,
                                                              const QList<PropertyValue>& properties) {
    return session_->call([&] {
        return wrap(as<css::frame::XComponentLoader>()->loadComponentFromURL(
                        toOUString(url), toOUString(target), flags, toSequence(properties)),
                    QStringLiteral("The office loaded nothing from %1.").arg(url));
    });
}

std::shared_ptr<OfficeObject> UnoObject::getCurrentController() {
    return session_->call([&] {
        return wrap(as<css::frame::XModel>()->getCurrentController(), QStringLiteral("The document has no controller."));
    });
}

std::shared_ptr<OfficeObject> UnoObject::getFrame() {
    return session_->call([&] {
        return wrap(as<css::frame::XController>()->getFrame(), QStringLiteral("The controller has no frame."));
    });
}

void UnoObject::close(bool deliverOwnership) {
    session_->call([&] { as<css::util::XCloseable>()->close(deliverOwnership); });
}

QVariant UnoObject::executeDispatch(OfficeObject& frame, const QString& command, const QString& target, qint16 flags,
                                    const QList<PropertyValue>& arguments) {
    const auto* frameObject = dynamic_cast<UnoObject*>(&frame);
    if (!frameObject) throw Err::typeMismatch();
    return session_->call([&] {
        const auto helper = as<css::frame::XDispatchHelper>();
        const auto provider = frameObject->as<css::frame::XDispatchProvider>();
        if (command == QStringLiteral(".uno:PrintDefault"))
            RouteToDefaultQueue(frameObject->as<css::frame::XFrame>());
        return toVariant(helper->executeDispatch(provider, toOUString(command), toOUString(target), flags,
                                                 toSequence(arguments)));
    });
}
