#include "Settings.h"

QString GetSetting(SettingsStore& store, const QString& key, const QString& defaultValue) {
    return store.read(SettingsApp, SettingsSection, key).value_or(defaultValue);
}

void SaveSetting(SettingsStore& store, const QString& key, const QString& value) {
    store.write(SettingsApp, SettingsSection, key, value);
}
