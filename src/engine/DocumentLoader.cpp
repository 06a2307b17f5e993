#include "DocumentLoader.h"

#include "engine/Writer.h"

PropertyValue DocumentLoader::property(const QString& name, const QVariant& value) {
    if (structType_.isEmpty()) return {structType_ = NewPropertyValue(platform_, name, value).typeName, name, value};
    return {structType_, name, value};
}

std::shared_ptr<OfficeObject> DocumentLoader::load(OfficeObject& desktop, const QString& path) {
    return desktop.loadComponentFromURL(FileUrl(path), QStringLiteral("_blank"), 0, {property(QStringLiteral("Hidden"), true)});
}
