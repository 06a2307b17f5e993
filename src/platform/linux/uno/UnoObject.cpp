#include "UnoObject.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDispatchHelper.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <com/sun/star/view/XPrintJobBroadcaster.hpp>

#include "LoadedAsText.h"
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
        const Reference<css::lang::XComponent> loaded = as<css::frame::XComponentLoader>()->loadComponentFromURL(
            toOUString(url), toOUString(target), flags, toSequence(properties));
        auto document = wrap(loaded, QStringLiteral("The office loaded nothing from %1.").arg(url));
        try {
            RefuseFalseDocument(url, Reference<css::frame::XModel>(loaded, UNO_QUERY_THROW));
        } catch (const RuntimeError&) {
            Reference<css::util::XCloseable>(loaded, UNO_QUERY_THROW)->close(true);
            throw;
        }
        return document;
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

// The events tell how the job stands; while it renders, the office must answer and keep working, or it
// is hung (the call bound ends it) or has let the job go without a word.
PrintJobState UnoObject::printJobState(int waitMs) {
    const rtl::Reference<PrintJobWatch> job = session_->printJob;
    if (!job.is()) throw RuntimeError(OfficeErr::Exception, QStringLiteral("The document was not printed."));
    const PrintJobState state = job->stateWithin(std::chrono::milliseconds(waitMs));
    if (state != PrintJobState::Rendering) return state;
    session_->call([&] { session_->context()->getServiceManager(); });
    const long long ticks = session_->cpuTicks();
    const auto now = std::chrono::steady_clock::now();
    if (ticks < 0 || ticks != job->ticks) job->lastWorked = now;
    job->ticks = ticks;
    if (now - job->lastWorked > session_->bound())
        throw RuntimeError(OfficeErr::Exception, QStringLiteral("The office stopped working on the print job without "
                                                                "handing it to the printing system."));
    return state;
}

void UnoObject::storeToURL(const QString& url, const QList<PropertyValue>& properties) {
    session_->call([&] { as<css::frame::XStorable>()->storeToURL(toOUString(url), toSequence(properties)); });
}

// The view knows the layout's page count; the document's own statistics may be those of its last save.
int UnoObject::pageCount() {
    return session_->call([&] {
        const Reference<css::beans::XPropertySet> view(as<css::frame::XModel>()->getCurrentController(), UNO_QUERY_THROW);
        return int(view->getPropertyValue("PageCount").get<sal_Int32>());
    });
}

void UnoObject::watchPrintJob(const Reference<css::frame::XModel>& document) {
    const Reference<css::view::XPrintJobBroadcaster> broadcaster(document, UNO_QUERY);
    session_->printJob = new PrintJobWatch;
    if (broadcaster.is()) broadcaster->addPrintJobListener(session_->printJob.get());
}

QVariant UnoObject::executeDispatch(OfficeObject& frame, const QString& command, const QString& target, qint16 flags,
                                    const QList<PropertyValue>& arguments) {
    const auto* frameObject = dynamic_cast<UnoObject*>(&frame);
    if (!frameObject) throw Err::typeMismatch();
    return session_->call([&] {
        const auto helper = as<css::frame::XDispatchHelper>();
        const auto provider = frameObject->as<css::frame::XDispatchProvider>();
        if (command == QStringLiteral(".uno:PrintDefault")) {
            const Reference<css::frame::XController> controller = frameObject->as<css::frame::XFrame>()->getController();
            const Reference<css::frame::XModel> document = controller.is() ? controller->getModel() : nullptr;
            RouteToQueue(document, session_->targetQueue);
            watchPrintJob(document);
        }
        return toVariant(helper->executeDispatch(provider, toOUString(command), toOUString(target), flags,
                                                 toSequence(arguments)));
    });
}
