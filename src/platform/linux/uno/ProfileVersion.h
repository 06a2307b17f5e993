#pragma once
#include <com/sun/star/uno/XComponentContext.hpp>

// Records in the office's profile that this office version has run on it. Until that is recorded an
// office takes every start for the first one after an upgrade and runs its graphics self-tests before
// it opens its pipe: seconds of work and a peak of some 200 MB per start. A headless office never
// records it itself. Best effort: an office that refuses only starts slowly.
void RecordOfficeVersion(const css::uno::Reference<css::uno::XComponentContext>& context);
