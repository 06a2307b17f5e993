#pragma once
#include <string>

// Converts PostScript into a PDF file at pdfPath with Ghostscript, running with the caller's rights.
// A converter that fails, writes no PDF or takes longer than ConversionSeconds is a refusal; the
// caller removes the file then.
constexpr int ConversionSeconds = 300;
void ConvertPostScript(const std::string& postscript, const std::string& pdfPath);

// The converter being waited for, for the signal handler that ends it when the job is cancelled.
extern volatile pid_t ConverterPid;
