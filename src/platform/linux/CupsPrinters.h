#pragma once
#include "platform/Printers.h"

// CUPS destinations; the user's default through lpoptions.
class CupsPrinters : public Printers {
public:
    QStringList installedPrinters() override;
    QString defaultPrinter() override;
    void setDefaultPrinter(const QString& name) override;
};
