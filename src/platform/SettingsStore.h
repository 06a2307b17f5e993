#pragma once
#include <QString>
#include <optional>

// The per-user store of text values addressed by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Nothing when the key is absent or the store cannot be read.
    virtual std::optional<QString> read(const QString& app, const QString& section, const QString& key) = 0;
    virtual void write(const QString& app, const QString& section, const QString& key, const QString& value) = 0;
};
