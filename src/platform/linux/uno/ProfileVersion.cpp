#include "ProfileVersion.h"

#include <QtGlobal>
#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameReplace.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/util/XChangesBatch.hpp>

#include "UnoValues.h"

using namespace css::uno;

void RecordOfficeVersion(const Reference<XComponentContext>& context) {
    try {
        const Reference<css::lang::XMultiServiceFactory> provider = css::configuration::theDefaultProvider::get(context);
        const Any node(css::beans::NamedValue("nodepath", Any(rtl::OUString("/org.openoffice.Setup/Product"))));
        const Reference<css::container::XNameAccess> product(
            provider->createInstanceWithArguments("com.sun.star.configuration.ConfigurationUpdateAccess",
                                                  Sequence<Any>(&node, 1)),
            UNO_QUERY_THROW);
        const rtl::OUString running = product->getByName("ooSetupVersion").get<rtl::OUString>();
        rtl::OUString recorded;
        product->getByName("ooSetupLastVersion") >>= recorded;
        if (running.isEmpty() || recorded == running) return;
        Reference<css::container::XNameReplace>(product, UNO_QUERY_THROW)->replaceByName("ooSetupLastVersion", Any(running));
        Reference<css::util::XChangesBatch>(product, UNO_QUERY_THROW)->commitChanges();
    } catch (const Exception& e) {
        qWarning("The office's profile keeps no version: %s", qPrintable(toQString(e.Message)));
    }
}
