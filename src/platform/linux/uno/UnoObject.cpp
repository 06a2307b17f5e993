#include "UnoObject.h"

#include <QFile>
#include <QUrl>
#include <algorithm>
#include <utility>
#include <vector>
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
#include "StagedFiles.h"
#include "UnoValues.h"

using namespace css::uno;

namespace {
const QString PropertyValueType = QStringLiteral("com.sun.star.beans.PropertyValue");

css::beans::PropertyValue property(const rtl::OUString& name, const Any& value) {
    return css::beans::PropertyValue(name, 0, value, css::beans::PropertyState_DIRECT_VALUE);
}

Sequence<css::beans::PropertyValue> toSequence(const QList<PropertyValue>& properties) {
    Sequence<css::beans::PropertyValue> sequence(sal_Int32(properties.size()));
    auto* out = sequence.getArray();
    for (const PropertyValue& p : properties) {
        if (p.typeName != PropertyValueType) throw Err::typeMismatch();
        *out++ = property(toOUString(p.name), toAny(p.value));
    }
    return sequence;
}

// Every document is loaded as one nobody here wrote, whatever the caller asks: no macro runs, no link
// is updated, nothing is written back or locked. The load itself is the user's ("private:user": the
// office refuses to load a document whose referrer it does not trust); the links in the document have
// the document's own address as their referrer, which the profile does not trust.
Sequence<css::beans::PropertyValue> safeLoadProperties(const QList<PropertyValue>& asked) {
    const std::vector<css::beans::PropertyValue> safe{
        property("MacroExecutionMode", Any(sal_Int16(0))),  // css::document::MacroExecMode::NEVER_EXECUTE
        property("UpdateDocMode", Any(sal_Int16(0))),       // css::document::UpdateDocMode::NO_UPDATE
        property("ReadOnly", Any(true)),
        property("Referer", Any(rtl::OUString("private:user")))};
    std::vector<css::beans::PropertyValue> all = safe;
    for (const css::beans::PropertyValue& p : toSequence(asked))
        if (std::none_of(safe.begin(), safe.end(), [&](const auto& s) { return s.Name == p.Name; })) all.push_back(p);
    return Sequence<css::beans::PropertyValue>(all.data(), sal_Int32(all.size()));
}
}  // namespace

UnoObject::~UnoObject() { ReleaseStaged(staged_); }

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
    QString staged;
    const QString given = session_->runFolder.isEmpty() ? url : StageDocument(session_->runFolder, url, staged);
    try {
        return session_->call([&] {
            const Reference<css::lang::XComponent> loaded = as<css::frame::XComponentLoader>()->loadComponentFromURL(
                toOUString(given), toOUString(target), flags, safeLoadProperties(properties));
            auto document = wrap(loaded, QStringLiteral("The office loaded nothing from %1.").arg(url));
            try {
                RefuseFalseDocument(url, Reference<css::frame::XModel>(loaded, UNO_QUERY_THROW));
            } catch (const RuntimeError&) {
                Reference<css::util::XCloseable>(loaded, UNO_QUERY_THROW)->close(true);
                throw;
            }
            static_cast<UnoObject&>(*document).staged_ = std::exchange(staged, QString());
            return document;
        });
    } catch (...) {
        ReleaseStaged(staged);
        throw;
    }
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
    ReleaseStaged(std::exchange(staged_, QString()));
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

// A sandboxed office writes in its own folder only; the file is then moved where it was asked for.
void UnoObject::storeToURL(const QString& url, const QList<PropertyValue>& properties) {
    const bool staged = !session_->runFolder.isEmpty() && QUrl(url).isLocalFile();
    const QString written = staged ? StagedOutputUrl(session_->runFolder) : url;
    try {
        session_->call([&] { as<css::frame::XStorable>()->storeToURL(toOUString(written), toSequence(properties)); });
    } catch (const RuntimeError&) {
        if (staged) QFile::remove(QUrl(written).toLocalFile());
        throw;
    }
    if (staged) DeliverStagedOutput(written, url);
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
