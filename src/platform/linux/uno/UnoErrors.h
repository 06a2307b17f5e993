#pragma once
#include <QString>
#include <chrono>

#include "platform/RuntimeError.h"

// The numbers of office failures, as the automation bridge of the office reports them.
namespace OfficeErr {
constexpr int Exception = -2147352567;    // 0x80020009: the office raised an exception
constexpr int Unavailable = -2147023174;  // 0x800706BA: the office process is gone
constexpr int CallFailed = -2147023170;   // 0x800706BE: the call did not come back

// The office exception being handled (call only inside a catch block).
RuntimeError fromCaughtException();
RuntimeError gone(const QString& detail);
RuntimeError timedOut(std::chrono::milliseconds bound);  // did not answer in time (starting)
RuntimeError hung(std::chrono::milliseconds bound);      // neither answered nor worked for that long
RuntimeError busyTooLong(std::chrono::milliseconds longest);  // worked on one call for that long
}  // namespace OfficeErr
