#include "LinuxSettings.h"

#include <QSettings>

// A fresh QSettings for every access: no value is cached between two reads, and every
// write reaches the file before the call returns.
std::optional<QString> LinuxSettings::read(const QString& app, const QString& section, const QString& key) {
    QSettings store(QSettings::IniFormat, QSettings::UserScope, app);
    if (store.status() != QSettings::NoError) return std::nullopt;  // unreadable or corrupt: the default
    store.beginGroup(section);
    const QVariant value = store.value(key);
    if (!value.isValid()) return std::nullopt;
    return value.toString();
}

void LinuxSettings::write(const QString& app, const QString& section, const QString& key, const QString& value) {
    QSettings store(QSettings::IniFormat, QSettings::UserScope, app);
    store.beginGroup(section);
    store.setValue(key, value);
    store.endGroup();
    store.sync();
}
