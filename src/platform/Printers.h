#pragma once
#include "DefaultPrinterSetting.h"
#include "PrintQueues.h"

// The system's printers as the user sees them, by name: their queues and jobs, which printing needs,
// and the user's default printer, which only the window's run switches.
class Printers : public PrintQueues, public DefaultPrinterSetting {};
