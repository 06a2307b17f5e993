#pragma once
#include <QStringList>
#include <memory>

// An open per-user registry key; closed when destroyed.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // Writes a text value; false when it could not be written.
    virtual bool setString(const QString& name, const QString& data) = 0;
    // Removes a value; false when it could not be removed (a value that is not there is removed).
    virtual bool deleteValue(const QString& name) = 0;
    // The names of the key's values.
    virtual QStringList valueNames() = 0;
};

// The per-user registry, as far as the PDF printer needs it.
class Registry {
public:
    virtual ~Registry() = default;
    // Creates the key below the user's root when missing and opens it; nothing on failure.
    virtual std::unique_ptr<RegistryKey> createKey(const QString& subkey) = 0;
};
