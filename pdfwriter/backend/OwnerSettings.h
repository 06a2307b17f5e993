#pragma once
#include <string>

// The two values the program leaves for this printer in the owner's registry file,
// <home>/.config/Vendrell PDF Writer/registry.ini ("Name=value" lines, names without regard to case).
struct OwnerSettings {
    std::string outputFile;    // "OutputFile"
    std::string bypassSaveAs;  // "BypassSaveAs"
};

// Reads them with the caller's rights; a missing file, or one that is not a regular file of at
// most 64 KiB, means no values.
OwnerSettings ReadOwnerSettings(const std::string& home);
