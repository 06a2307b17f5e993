#pragma once
#include <QString>

// The user's default CUPS destination at this moment, as the office names it ("queue" or
// "queue/instance"); the empty text when there is none. Honours CUPS_SERVER, lpoptions and the
// environment's LPDEST / PRINTER, as every CUPS client does.
QString DefaultQueue();
