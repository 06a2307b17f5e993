#include "UnoOffice.h"

#include <QThread>

#include "DefaultQueue.h"
#include "UnoObject.h"

using namespace std::chrono_literals;

namespace {
// Starting is no call: a first start also creates the profile, and may take a while on a busy machine.
constexpr std::chrono::milliseconds MinimumStartBound = 30s;
constexpr std::chrono::milliseconds EndBound = 5s;
}  // namespace

UnoOffice::UnoOffice()
    : slot_(OfficeSlot::take()),
      settings_(OfficeSettings::fromEnvironment(slot_.profileFolder())),
      process_(std::make_shared<OfficeProcess>(settings_)),
      watchdog_(std::make_shared<CallWatchdog>()) {}

UnoOffice::~UnoOffice() { shutdown(); }

OfficeSession::Guard UnoOffice::guard() const {
    return {watchdog_, settings_.callTimeout, [process = process_] { process->kill(); },
            [process = process_] { return process->cpuTicks().value_or(-1); }};
}

std::shared_ptr<OfficeObject> UnoOffice::createServiceManager() {
    if (!process_->installed()) throw Err::cannotCreateObject();
    try {
        if (session_ && !session_->answers()) endOffice(false);  // crashed, killed, or hanging
        if (!session_) session_ = reachOffice();
        // A running office keeps the printer list it read when it started: a queue added since is
        // unknown to it, and only a fresh office can print there.
        const QString queue = exportOnly_ ? QString() : targetQueue_.isEmpty() ? DefaultQueue() : targetQueue_;
        if (!queue.isEmpty() && !session_->knowsPrinter(queue) && !queuesNoFreshOfficeKnows_.contains(queue)) {
            endOffice(true);
            session_ = startOffice();
            if (!session_->knowsPrinter(queue)) queuesNoFreshOfficeKnows_.insert(queue);
        }
        session_->targetQueue = targetQueue_;
        return std::make_shared<UnoObject>(session_, session_->serviceManager());
    } catch (...) {  // whatever failed, the office cannot be reached; the reason goes to the log
        QString reason = QStringLiteral("the office's runtime failed");
        try {
            throw;
        } catch (const RuntimeError& e) {
            reason = e.description;
        } catch (...) {
        }
        qWarning("The office cannot be reached: %s", qPrintable(reason));
        if (session_) endOffice(false);
        throw Err::cannotCreateObject();
    }
}

void UnoOffice::exportOnly() {
    exportOnly_ = true;
    process_->setPrinting(false);
}

// A fresh process object: the one before may have started a sandboxed office, which ends first.
void UnoOffice::runUnsandboxed() {
    if (!settings_.sandboxed) return;
    shutdown();
    settings_.sandboxed = false;
    process_ = std::make_shared<OfficeProcess>(settings_);
    process_->setPrinting(!exportOnly_);
}

void UnoOffice::setTargetQueue(const QString& queue) {
    targetQueue_ = queue;
    if (session_) session_->targetQueue = queue;
}

// An office that already answers on the pipe is used as it is (another window of this program may
// have started it); otherwise this program starts one. A sandboxed office is always one's own: its
// pipe is in its own folder.
std::shared_ptr<OfficeSession> UnoOffice::reachOffice() {
    if (!settings_.sandboxed)
        if (auto session = tryConnect()) return session;
    return startOffice();
}

// Null while no office answers, and when one answers but fails or hangs in the handshake (it is
// then ended by the watchdog, or is still starting).
std::shared_ptr<OfficeSession> UnoOffice::tryConnect() {
    try {
        auto session = OfficeSession::connect(settings_.pipeName, process_->pipePath(), guard());
        if (session && settings_.sandboxed) session->runFolder = process_->runFolder();
        return session;
    } catch (const RuntimeError&) {
        return nullptr;
    }
}

std::shared_ptr<OfficeSession> UnoOffice::startOffice() {
    // An office on the profile that does not answer (hung, or left behind) would take over the start.
    process_->kill();
    process_->reap(EndBound);
    process_->start();
    const auto deadline = std::chrono::steady_clock::now() + std::max(settings_.callTimeout, MinimumStartBound);
    while (std::chrono::steady_clock::now() < deadline) {
        if (auto session = tryConnect()) return session;
        if (process_->exited())
            throw RuntimeError(OfficeErr::Unavailable,
                               QStringLiteral("%1 ended as it started (exit code %2).").arg(settings_.binary).arg(process_->exitCode()));
        QThread::msleep(10);
    }
    process_->kill();
    process_->reap(EndBound);
    throw OfficeErr::timedOut(std::max(settings_.callTimeout, MinimumStartBound));
}

// askFirst: let the office end itself (it keeps its profile tidy); it is killed when it does not.
void UnoOffice::endOffice(bool askFirst) {
    if (session_) {
        if (askFirst) session_->terminateOffice();
        session_->dispose();
        session_.reset();
    }
    if (!askFirst || !process_->reap(EndBound)) {
        process_->kill();
        process_->reap(EndBound);
    }
}

// Ends the office this program started; one that another program started is only let go.
void UnoOffice::shutdown() {
    if (process_->startedHere()) {
        endOffice(true);
    } else if (session_) {
        session_->dispose();
        session_.reset();
    }
}
