#pragma once
// One document through the office as a print pass takes it: loaded hidden, printed with the
// office's defaults, closed.
#include "platform/Office.h"
#include "engine/Writer.h"

struct OfficePass {
    std::shared_ptr<OfficeObject> serviceManager, desktop, document, frame;

    // Loads the document, up to its frame.
    OfficePass(Office& office, const QString& path) {
        serviceManager = office.createServiceManager();
        desktop = serviceManager->createInstance(QStringLiteral("com.sun.star.frame.Desktop"));
        PropertyValue hidden = serviceManager->Bridge_GetStruct(QStringLiteral("com.sun.star.beans.PropertyValue"));
        hidden.name = QStringLiteral("Hidden");
        hidden.value = true;
        document = desktop->loadComponentFromURL(FileUrl(path), QStringLiteral("_blank"), 0, {hidden});
        frame = document->getCurrentController()->getFrame();
    }
    void print() {
        serviceManager->createInstance(QStringLiteral("com.sun.star.frame.DispatchHelper"))
            ->executeDispatch(*frame, QStringLiteral(".uno:PrintDefault"), QString(), 0, {});
    }
    void close() { document->close(true); }
};
