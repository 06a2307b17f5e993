#pragma once
#include <QString>

// The user's desktop folder, without trailing separator. Throws RuntimeError when unknown.
QString DesktopFolder();
