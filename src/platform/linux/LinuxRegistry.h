#pragma once
#include "platform/Registry.h"

// The per-user registry (HKCU) as INI-like files: the key "Software\<A>\<B>" is the file
// $HOME/.config/<A>/<B>/registry.ini, one "Name=value" line per value, UTF-8, LF line ends;
// names are compared case-insensitively, as the registry does. The PDF printer runs outside
// the user's session and finds the file through the user's home alone, which is why
// XDG_CONFIG_HOME is not consulted. Only keys below "Software" exist here.
class LinuxRegistry : public Registry {
public:
    std::unique_ptr<RegistryKey> createKey(const QString& subkey) override;
};
