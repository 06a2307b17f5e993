#pragma once
#include <com/sun/star/uno/XComponentContext.hpp>

// The office's profile as a second wall behind its sandbox: no macro of any document runs, links of
// untrusted documents are not followed, Writer updates no link or field by itself, and no document
// is locked (so a lock file left beside one stops nothing). Throws RuntimeError when the office
// refuses a setting: an office that cannot be locked down is not used.
void LockDownProfile(const css::uno::Reference<css::uno::XComponentContext>& context);
