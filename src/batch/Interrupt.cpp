#include "Interrupt.h"

#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {
int wakeFd = -1;

void wake(int signal) {
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = ::write(wakeFd, &number, 1);
}
}  // namespace

void OnInterrupt(std::function<void(int)> onSignal) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    wakeFd = fds[1];
    std::thread([read = fds[0], onSignal = std::move(onSignal)] {
        unsigned char number = 0;
        while (::read(read, &number, 1) != 1) {
        }
        onSignal(number);
    }).detach();
    struct sigaction action {};
    action.sa_handler = wake;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}
