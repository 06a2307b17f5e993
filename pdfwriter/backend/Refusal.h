#pragma once
#include <stdexcept>
#include <string>

// A job that is not written; the reason goes to the CUPS log.
struct Refusal : std::runtime_error {
    explicit Refusal(const std::string& reason) : std::runtime_error(reason) {}
};
