#include "ProfileLockDown.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameReplace.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/util/XChangesBatch.hpp>

#include "UnoErrors.h"
#include "UnoValues.h"

using namespace css::uno;

namespace {
struct Setting {
    const char* name;
    Any value;
};
struct Group {
    const char* path;
    std::initializer_list<Setting> settings;
};

// The names are those of LibreOffice's own registry (officecfg); a name it does not have fails the
// lock-down, so a renamed setting is noticed, not silently missed.
const Group& scripting() {
    static const Group group{"/org.openoffice.Office.Common/Security/Scripting",
                             {{"MacroSecurityLevel", Any(sal_Int32(3))},  // very high: trusted locations only
                              {"SecureURL", Any(Sequence<rtl::OUString>())},  // and there are none
                              {"DisableMacrosExecution", Any(true)},
                              {"BlockUntrustedRefererLinks", Any(true)}}};
    return group;
}
const Group& locking() {
    static const Group group{"/org.openoffice.Office.Common/Misc",
                             {{"UseLocking", Any(false)},
                              {"UseDocumentSystemFileLocking", Any(false)},
                              {"UseDocumentOOoLockFile", Any(false)}}};
    return group;
}
const Group& writerUpdates() {
    static const Group group{"/org.openoffice.Office.Writer/Content/Update",
                             {{"Link", Any(sal_Int32(0))},  // never
                              {"Field", Any(false)},
                              {"Chart", Any(false)}}};
    return group;
}

void apply(const Reference<css::lang::XMultiServiceFactory>& provider, const Group& group) {
    const Any node(css::beans::NamedValue("nodepath", Any(rtl::OUString::createFromAscii(group.path))));
    const Reference<css::container::XNameAccess> access(
        provider->createInstanceWithArguments("com.sun.star.configuration.ConfigurationUpdateAccess", Sequence<Any>(&node, 1)),
        UNO_QUERY_THROW);
    bool changed = false;
    for (const Setting& s : group.settings) {
        const rtl::OUString name = rtl::OUString::createFromAscii(s.name);
        if (access->getByName(name) == s.value) continue;
        Reference<css::container::XNameReplace>(access, UNO_QUERY_THROW)->replaceByName(name, s.value);
        changed = true;
    }
    if (changed) Reference<css::util::XChangesBatch>(access, UNO_QUERY_THROW)->commitChanges();
}
}  // namespace

void LockDownProfile(const Reference<XComponentContext>& context) {
    try {
        const Reference<css::lang::XMultiServiceFactory> provider = css::configuration::theDefaultProvider::get(context);
        for (const Group* group : {&scripting(), &locking(), &writerUpdates()}) apply(provider, *group);
    } catch (const Exception& e) {
        throw RuntimeError(OfficeErr::Exception,
                           QStringLiteral("The office's profile cannot be locked down: ") + toQString(e.Message));
    }
}
