#include "modRegStuff.h"

std::unique_ptr<RegistryKey> RegCreateKeyEx(Platform& platform, const QString& subkey) {
    return platform.registry.createKey(subkey);
}

bool RegSetValueEx(RegistryKey* key, const QString& name, const QString& data) {
    return key && key->setString(name, data);
}

void RegCloseKey(std::unique_ptr<RegistryKey>& key) { key.reset(); }
