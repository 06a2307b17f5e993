#pragma once
#include <QString>
#include <QVariant>
#include <memory>

#include "platform/Platform.h"

// Both programs load a document the same way: hidden, from its file's address. The bridge adds the
// properties that keep a document from running code or reaching outside itself to every load.
class DocumentLoader {
public:
    explicit DocumentLoader(Platform& platform) : platform_(platform) {}
    // The office builds its struct for one property; the others are its copies, which saves the
    // office a round trip for every property of every document.
    PropertyValue property(const QString& name, const QVariant& value);
    // Throws RuntimeError with the office's reason when the document does not load.
    std::shared_ptr<OfficeObject> load(OfficeObject& desktop, const QString& path);

private:
    Platform& platform_;
    QString structType_;
};
