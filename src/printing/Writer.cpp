#include "Writer.h"

OfficeObject& Use(const std::shared_ptr<OfficeObject>& object) {
    if (!object) throw RuntimeError(91, QStringLiteral("Object variable or With block variable not set"));
    return *object;
}

PropertyValue NewPropertyValue(Platform& platform, const QString& name, const QVariant& value) {
    const std::shared_ptr<OfficeObject> serviceManager = platform.office.createServiceManager();
    PropertyValue property = Use(serviceManager).Bridge_GetStruct(QStringLiteral("com.sun.star.beans.PropertyValue"));
    property.name = name;
    property.value = value;
    return property;
}
