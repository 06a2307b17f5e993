#pragma once
#include <QDateTime>

// Time and the event loop.
class Runtime {
public:
    virtual ~Runtime() = default;
    virtual QDateTime now() = 0;                  // local date and time
    virtual void sleep(int milliseconds) = 0;     // blocks without handling events
    virtual void pumpMessages() = 0;              // handles the pending events once
    virtual void waitWithEvents(int milliseconds) = 0;  // handles events until the time has passed
    [[noreturn]] virtual void endProgram() = 0;   // ends the program at once
};
