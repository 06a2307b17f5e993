#pragma once
#include <QStringList>

// The fonts of `asked` that this machine has no family of (as fontconfig lists them; compared
// without regard to case), in the order asked. Fontconfig is asked once per run.
QStringList MissingFonts(const QStringList& asked);
