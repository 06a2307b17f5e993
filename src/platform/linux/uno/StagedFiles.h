#pragma once
#include <QString>

// Files between this program and a sandboxed office, in the office's own folder (SandboxPlan::runFolder).
// A file URL of anything else comes back as it is: only local files are staged.

// The office is given a copy of the document under its own name in a folder of its own in in/, so
// that it sees nothing of the document's folder. Returns the copy's URL and sets `folder` to what
// ReleaseStaged removes. Throws RuntimeError when the document cannot be read.
QString StageDocument(const QString& runFolder, const QString& url, QString& folder);
void ReleaseStaged(const QString& folder);

// Where the office writes what becomes the file at `url`: a new name in out/.
QString StagedOutputUrl(const QString& runFolder);
// Moves what the office wrote to `url`'s file (replacing it; copied across file systems); removes the
// staged file in any case. Throws RuntimeError when it cannot, or when the office left anything but a
// regular file there.
void DeliverStagedOutput(const QString& stagedUrl, const QString& url);
