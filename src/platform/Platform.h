#pragma once
#include <QString>

#include "Dialogs.h"
#include "FileSystem.h"
#include "Office.h"
#include "Printers.h"
#include "Registry.h"
#include "Runtime.h"
#include "SettingsStore.h"
#include "Shell.h"

// Everything the program reaches outside itself, bundled. main() builds the real ones, tests the fakes.
struct Platform {
    Dialogs& dialogs;
    SettingsStore& settings;
    Registry& registry;
    Printers& printers;
    Office& office;
    Shell& shell;
    FileSystem& files;
    Runtime& runtime;
    QString programFolder;  // the folder of the optional files, without trailing separator
};
