#pragma once
#include <sys/types.h>

#include <string>

// The account a job belongs to.
struct JobOwner {
    std::string name;
    uid_t uid = 0;
    gid_t gid = 0;
    std::string home;
};

// Looks the owner up; refuses unknown accounts and root, whose rights this printer never uses
// (a job claiming to be root's could otherwise write anywhere).
JobOwner FindOwner(const std::string& name);

// Gives up root for good: supplementary groups, group and user become the owner's. The process
// dies with its supervisor from then on.
void BecomeOwner(const JobOwner& owner, pid_t supervisor);
