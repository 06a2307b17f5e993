#pragma once
#include <QString>
#include <chrono>

// How this program reaches its own office: which binary, which profile, which pipe, how long a call may take.
struct OfficeSettings {
    QString binary;         // QUORVANE_SOFFICE, else the installed office's soffice.bin
    QString profileFolder;  // one of $XDG_DATA_HOME/quorvane/office-profile*, see OfficeSlot
    QString profileUrl;     // the same as a file URL, as the office takes it
    QString pipeName;       // private to this user and this profile
    std::chrono::milliseconds callTimeout;  // QUORVANE_OFFICE_TIMEOUT seconds, else 30
    bool sandboxed = true;  // see OfficeSandbox.h; off only when the user asks for the unsafe way

    static OfficeSettings fromEnvironment(const QString& profileFolder);
};
