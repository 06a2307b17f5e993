#pragma once
#include "platform/Registry.h"

// The per-user registry as INI files in the user's config folder.
class LinuxRegistry : public Registry {
public:
    std::unique_ptr<RegistryKey> createKey(const QString& subkey) override;
};
