#pragma once
#include "platform/SettingsStore.h"

// Per-user INI files in the user's config folder: one file per application, one group per section.
class LinuxSettings : public SettingsStore {
public:
    std::optional<QString> read(const QString& app, const QString& section, const QString& key) override;
    void write(const QString& app, const QString& section, const QString& key, const QString& value) override;
};
