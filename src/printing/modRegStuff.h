#pragma once
#include <QString>
#include <memory>

#include "platform/Platform.h"

// The registry calls of the PDF output. The per-user registry here is the platform's store of text
// values (a file in the user's config folder); values are REG_SZ text written without a terminating
// zero, in UTF-8 rather than an 8-bit code page. Failures are not reported: the PDF printer then
// keeps its older values.

// Creates HKEY_CURRENT_USER\subkey when missing and opens it for reading and writing; nothing on failure.
std::unique_ptr<RegistryKey> RegCreateKeyEx(Platform& platform, const QString& subkey);
// Writes a text value; false when it was not written (also when the key could not be opened).
bool RegSetValueEx(RegistryKey* key, const QString& name, const QString& data);
void RegCloseKey(std::unique_ptr<RegistryKey>& key);
