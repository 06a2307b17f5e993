#pragma once
#include <functional>

// Ctrl-C (SIGINT) and SIGTERM end the run: the handler only wakes a thread of its own, which then
// calls onSignal with the signal's number, outside signal context.
void OnInterrupt(std::function<void(int signal)> onSignal);
