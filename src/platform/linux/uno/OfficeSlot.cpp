#include "OfficeSlot.h"

#include <QDir>
#include <QStandardPaths>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/RuntimeError.h"

namespace {
constexpr int MaxSlots = 64;
}

OfficeSlot OfficeSlot::take() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/quorvane");
    QDir().mkpath(base);
    for (int slot = 0; slot < MaxSlots; ++slot) {
        const QString folder = base + QStringLiteral("/office-profile") + (slot ? QStringLiteral("-%1").arg(slot) : QString());
        const int fd = ::open(QFile::encodeName(folder + QStringLiteral(".lock")).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return OfficeSlot(fd, folder);
        ::close(fd);
    }
    throw RuntimeError(Err::cannotCreateObject().number,
                       QStringLiteral("Every office profile in %1 is in use by another window.").arg(base));
}

OfficeSlot::~OfficeSlot() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock
}
