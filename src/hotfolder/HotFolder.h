#pragma once
#include "batch/BatchOptions.h"
#include "batch/BatchPlatform.h"
#include "batch/DocumentWork.h"

// quorvane-batch --watch: prints (or writes as PDFs) the documents that arrive in a folder, each
// exactly once, in the order they arrive, and files each into the done or the failed folder. It ends on
// SIGTERM or SIGINT (the documents in work finish, those not begun go back), reopens its log on SIGHUP,
// and with --once once the folder holds nothing more to take. Returns the exit status.
int RunHotFolder(BatchPlatform& shared, const BatchOptions& options, const Destination& destination);
