#pragma once
#include <QString>
#include <QVariant>
#include <memory>

#include "platform/Platform.h"

// The object a reference holds; a reference that holds none fails as the classic runtime does,
// so a step that depends on an earlier failed one is reported in turn instead of crashing.
OfficeObject& Use(const std::shared_ptr<OfficeObject>& object);

// A com.sun.star.beans.PropertyValue, built by a service manager of its own.
PropertyValue NewPropertyValue(Platform& platform, const QString& name, const QVariant& value);

// The address the office loads a document from: "file://" and the path, percent-encoded where a
// URL requires it ('#', '%', '?', blanks, non-ASCII), so that every file name can be loaded.
QString FileUrl(const QString& path);
