#pragma once
#include <sys/types.h>

#include <string>

#include "Deadline.h"
#include "JobTarget.h"

enum class Format { Pdf, PostScript };

// PDF (as LibreOffice and CUPS's own filters send it) or PostScript (as older programs do);
// anything else is refused, as is a PDF that does not end, since it was cut short.
Format DetectFormat(const std::string& data);

// Writes the job as a PDF file at the target, whole or not at all, with the caller's (the owner's)
// rights and through descriptors only:
// - the target's folder is opened once (SafeFolder); every later step works on that descriptor;
// - the PDF is made in an unnamed file of that folder (O_TMPFILE; a file created with O_EXCL
//   under a random hidden name where the file system has no unnamed files), written by this
//   process or by Ghostscript through its descriptor, then checked with qpdf;
// - only then does it get its name: linked under the first free name, or renamed over the file
//   it replaces, whose permissions it keeps; a new file may be read by whoever may read the
//   folder (group, others) and written by the owner only;
// - the published name is checked to be that very file; when someone changed it meanwhile, the
//   job fails and says so.
// Returns the path written.
std::string WritePdf(const std::string& data, Format format, const JobTarget& target, uid_t owner, Deadline deadline);
