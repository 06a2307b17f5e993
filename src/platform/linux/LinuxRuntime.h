#pragma once
#include "platform/Runtime.h"

class LinuxRuntime : public Runtime {
public:
    QDateTime now() override;
    void sleep(int milliseconds) override;
    void pumpMessages() override;
    void waitWithEvents(int milliseconds) override;
    [[noreturn]] void endProgram() override;
};
