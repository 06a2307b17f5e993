#pragma once
#include "platform/Shell.h"

class LinuxShell : public Shell {
public:
    void execute(QObject* owner, const QString& file, const QString& workingFolder, int showMode) override;
    void changeNotify(long eventId, unsigned flags) override;
    QString desktopFolder() override;
};
