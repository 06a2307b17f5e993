#pragma once
#include <string>

#include "Deadline.h"

// Writes the PDF that Ghostscript makes of a PostScript document into the open file `output`.
void ConvertPostScript(const std::string& postscript, int output, Deadline deadline);

// Refuses a PDF file (open as `pdf`) that qpdf finds damaged or incomplete.
void CheckPdf(int pdf, Deadline deadline);
