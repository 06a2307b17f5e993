#pragma once
#include <QString>

#include "platform/SettingsStore.h"

inline const QString SettingsApp = QStringLiteral("Vendrell");
inline const QString SettingsSection = QStringLiteral("Quorvane");

// Every setting of the program lives under one application and one section; no caching.
QString GetSetting(SettingsStore& store, const QString& key, const QString& defaultValue = QString());
void SaveSetting(SettingsStore& store, const QString& key, const QString& value);
