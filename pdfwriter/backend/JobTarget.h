#pragma once
#include <string>

#include "Deadline.h"
#include "JobOwner.h"

// Where a job is written: a name in a folder, replacing what is there (a file the owner's program
// bound to this job) or under the first free name "<name>.pdf", "<name> (2).pdf", ...
struct JobTarget {
    std::string folder;
    std::string name;
    bool replace = false;
};

// The owner's "OutputFile.<job id>" when there is one. While there is none and "BypassSaveAs" is
// "1", the owner's program is about to record it: the values are read again every 100 ms, for up
// to 30 seconds (never past the deadline). Without it the job goes to <home>/PDF/<title>.pdf.
JobTarget ChooseTarget(const JobOwner& owner, const std::string& jobId, const std::string& title, Deadline deadline);
