#include "JobOwner.h"

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <stdlib.h>
#include <unistd.h>

#include "Refusal.h"

JobOwner FindOwner(const std::string& name) {
    const passwd* entry = getpwnam(name.c_str());
    if (!entry) throw Refusal("the job's owner \"" + name + "\" is not an account of this machine");
    if (entry->pw_uid == 0) throw Refusal("jobs of root are not written: this printer never writes with root's rights");
    if (!entry->pw_dir || entry->pw_dir[0] != '/') throw Refusal("the account \"" + name + "\" has no home folder");
    return {entry->pw_name, entry->pw_uid, entry->pw_gid, entry->pw_dir};
}

void BecomeOwner(const JobOwner& owner, pid_t supervisor) {
    if (geteuid() != 0) throw Refusal("the backend must run as root to write as the job's owner (install it with mode 0700)");
    if (initgroups(owner.name.c_str(), owner.gid) != 0 || setgid(owner.gid) != 0 || setuid(owner.uid) != 0)
        throw Refusal("cannot take the rights of \"" + owner.name + "\"");
    // Make sure there is no way back: a process that kept root could regain it here.
    if (setuid(0) == 0 || getuid() != owner.uid || geteuid() != owner.uid || getegid() != owner.gid)
        throw Refusal("cannot give up root's rights");
    // Changing the user clears the parent-death signal: set it now, then check the parent lives.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != supervisor) throw Refusal("the job's supervisor is gone");
    setenv("HOME", owner.home.c_str(), 1);
    setenv("USER", owner.name.c_str(), 1);
    setenv("LOGNAME", owner.name.c_str(), 1);
    setenv("TMPDIR", "/tmp", 1);  // the scheduler's temporary folder is not the owner's to write
    if (chdir(owner.home.c_str()) != 0 && chdir("/") != 0) throw Refusal("cannot change to a folder");
}
