#pragma once
#include <functional>

// Runs a job's work in a child process, the worker, and keeps root's rights itself to watch it:
// the worker takes the job owner's rights, so the owner may signal it, but not this process.
// The worker runs in a process group of its own; the whole group is ended when the job's time
// is up, when the job is cancelled (SIGTERM), or when the worker is stopped or dies. The
// supervisor opens no file of any user. Returns the CUPS backend exit code.
int SuperviseWorker(const std::function<int()>& work);
