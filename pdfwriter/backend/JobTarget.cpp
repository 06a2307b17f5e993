#include "JobTarget.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "FileName.h"
#include "Log.h"
#include "OwnerSettings.h"
#include "Refusal.h"
#include "SafeFolder.h"

namespace {

constexpr auto BindingWait = std::chrono::seconds(30);
constexpr auto BindingPoll = std::chrono::milliseconds(100);
constexpr size_t MaxNameBytes = 255;  // one name in a folder, ".pdf" included

OwnerSettings ReadSettings(const JobOwner& owner, const std::string& jobId, std::string& reported) {
    OwnerSettings settings = ReadOwnerSettings(owner.home, jobId);
    if (!settings.ignoredBecause.empty() && settings.ignoredBecause != reported)
        LogLine("WARNING", "the values file of " + owner.name + " is ignored: " + settings.ignoredBecause);
    reported = settings.ignoredBecause;
    return settings;
}

JobTarget BoundTarget(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (path.empty() || path[0] != '/' || slash == path.size() - 1)
        throw Refusal("the output file bound to the job is not a full path of a file: " + path);
    const std::string name = path.substr(slash + 1);
    if (name == "." || name == ".." || name.size() > MaxNameBytes) throw Refusal("not a file name: " + name);
    return {slash == 0 ? "/" : path.substr(0, slash), name, true};
}

JobTarget DefaultTarget(const JobOwner& owner, const std::string& jobId, const std::string& title) {
    {
        const SafeFolder home(owner.home, owner.uid);
        if (mkdirat(home.fd(), "PDF", 0700) != 0 && errno != EEXIST)
            throw Refusal("cannot create " + owner.home + "/PDF: " + strerror(errno));
    }
    // Room for " (999)" and ".pdf" after the name.
    std::string name = NameFromTitle(title, MaxNameBytes - 10);
    if (name.size() >= 4 && strcasecmp(name.c_str() + name.size() - 4, ".pdf") == 0) name.resize(name.size() - 4);
    if (name.empty()) name = "job-" + jobId;
    return {owner.home + "/PDF", name + ".pdf", false};
}

}  // namespace

JobTarget ChooseTarget(const JobOwner& owner, const std::string& jobId, const std::string& title, Deadline deadline) {
    std::string reported;
    OwnerSettings settings = ReadSettings(owner, jobId, reported);
    const Deadline waitEnd = std::min(deadline, Clock::now() + BindingWait);
    if (settings.outputFileForJob.empty() && settings.bypassSaveAs)
        LogLine("INFO", "job " + jobId + " waits for its output file to be recorded");
    while (settings.outputFileForJob.empty() && settings.bypassSaveAs && Clock::now() < waitEnd) {
        std::this_thread::sleep_for(BindingPoll);
        settings = ReadSettings(owner, jobId, reported);
    }
    if (!settings.outputFileForJob.empty()) return BoundTarget(settings.outputFileForJob);
    return DefaultTarget(owner, jobId, title);
}
