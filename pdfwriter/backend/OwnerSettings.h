#pragma once
#include <string>

// What the owner's values file, <home>/.config/Vendrell PDF Writer/registry.ini ("Name=value"
// lines, names without regard to case), says about one job.
struct OwnerSettings {
    std::string outputFileForJob;  // "OutputFile.<job id>"
    bool bypassSaveAs = false;     // "BypassSaveAs" is "1"
    std::string ignoredBecause;    // why a file that is there was not read; empty when it was
};

// Reads them with the caller's rights, without waiting. Only a regular file of at most 64 KiB is
// read (a FIFO would block the shared queue, a link to an endless device fill memory); a UTF-8
// byte-order mark at its start is skipped.
OwnerSettings ReadOwnerSettings(const std::string& home, const std::string& jobId);
