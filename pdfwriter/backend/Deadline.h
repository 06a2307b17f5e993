#pragma once
#include <chrono>

// The moment by which a job must be done; every wait of the worker ends there.
using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;

// The time a job may take, the wait for its output file included.
constexpr int JobSeconds = 300;
