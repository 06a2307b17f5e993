#pragma once
#include <string>

#include "JobOwner.h"
#include "OwnerSettings.h"

enum class Format { Pdf, PostScript };

// PDF (as LibreOffice sends it) or PostScript (as older programs do); anything else is refused,
// as is a PDF that does not end, since it was cut short.
Format DetectFormat(const std::string& data);

// Where a job goes: the owner's "OutputFile" when "BypassSaveAs" is "1" (replacing what is there,
// as the program asked), else <home>/PDF/<title>.pdf under a name not taken yet.
struct Target {
    std::string path;
    bool replace = false;
};
Target ChooseTarget(const OwnerSettings& settings, const JobOwner& owner, const std::string& title,
                    const std::string& jobId);

// Writes the job as a PDF file at the target, whole or not at all: a temporary file in the target's
// folder becomes the target by a rename (or a link, which never replaces). Runs with the owner's
// rights, so a folder or file the owner may not write stays untouched. Returns the path written.
std::string WritePdf(const std::string& data, Format format, const Target& target);

// The temporary file being written, for the signal handler that cleans up when the job is cancelled.
extern char PendingTemporary[4096];
