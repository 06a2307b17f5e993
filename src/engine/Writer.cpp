#include "Writer.h"

#include <QUrl>

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

// The classic address was "file:///" and the path; here the path brings its own leading '/'.
// A path of several leading separators is the same file with one, and never a host name.
QString FileUrl(const QString& path) {
    qsizetype start = 0;
    while (start < path.size() && path[start] == QLatin1Char('/')) ++start;
    return QUrl::fromLocalFile(QLatin1Char('/') + path.mid(start)).toString(QUrl::FullyEncoded);
}
