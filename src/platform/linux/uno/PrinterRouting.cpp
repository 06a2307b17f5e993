#include "PrinterRouting.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/view/XPrintable.hpp>

#include "DefaultQueue.h"
#include "UnoErrors.h"
#include "UnoValues.h"

using namespace css::uno;

namespace {
QString printerName(const Reference<css::view::XPrintable>& printable) {
    for (const css::beans::PropertyValue& p : printable->getPrinter())
        if (p.Name == "Name") return toQString(p.Value.get<rtl::OUString>());
    return {};
}
}  // namespace

void RouteToQueue(const Reference<css::frame::XModel>& document, const QString& target) {
    const QString queue = target.isEmpty() ? DefaultQueue() : target;
    if (queue.isEmpty()) return;  // no default anywhere: the office's own choice is as good as any
    const Reference<css::view::XPrintable> printable(document, UNO_QUERY);
    if (!printable.is()) return;  // nothing printable; the print command says so itself
    if (printerName(printable) == queue) return;
    const css::beans::PropertyValue name("Name", 0, Any(toOUString(queue)), css::beans::PropertyState_DIRECT_VALUE);
    printable->setPrinter(Sequence<css::beans::PropertyValue>(&name, 1));
    // The office keeps its printer when it does not know the one asked for.
    if (printerName(printable) != queue)
        throw RuntimeError(OfficeErr::Exception,
                           QStringLiteral("The office does not know the printer \"%1\"; nothing was printed.").arg(queue));
}
