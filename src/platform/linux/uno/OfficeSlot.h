#pragma once
#include <QString>

// One of the user's office profiles, held by this process while the object lives. Each window of the
// program (and each office of a batch run) prints with an office of its own: two that shared one
// would end it under each other when one of them restarts it. Slot 0 is the profile a single window
// has always used; further slots get profiles of their own, kept warm for next time.
class OfficeSlot {
public:
    // The first slot no other process holds. Throws RuntimeError when all are taken.
    static OfficeSlot take();
    OfficeSlot(OfficeSlot&& other) noexcept : fd_(other.fd_), profileFolder_(std::move(other.profileFolder_)) { other.fd_ = -1; }
    OfficeSlot(const OfficeSlot&) = delete;
    OfficeSlot& operator=(const OfficeSlot&) = delete;
    OfficeSlot& operator=(OfficeSlot&&) = delete;
    ~OfficeSlot();

    const QString& profileFolder() const { return profileFolder_; }

private:
    OfficeSlot(int fd, QString profileFolder) : fd_(fd), profileFolder_(std::move(profileFolder)) {}
    int fd_;
    QString profileFolder_;
};
