#pragma once
#include <string>
#include <vector>

#include "Deadline.h"

// Runs a helper program (Ghostscript, qpdf) for the worker, with the worker's rights:
// - its standard input is `input`; `output`, when given, is its descriptor 3 ("/dev/fd/3");
//   it inherits no other descriptor, least of all the scheduler's status channel;
// - whatever it prints (the job's own text among it) is read through a pipe and passed on as
//   "DEBUG: <name>: ..." lines;
// - it dies with the worker (parent-death signal), and is ended when the deadline passes or when
//   it is stopped, which are refusals.
// Returns its exit code; 127 when it could not be started.
int RunTool(const std::vector<std::string>& command, int input, int output, Deadline deadline);
