#include "LinuxRegistry.h"

// Placeholder until the registry layer is written.
std::unique_ptr<RegistryKey> LinuxRegistry::createKey(const QString&) { return nullptr; }
