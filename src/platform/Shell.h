#pragma once
#include <QString>
class QObject;

// The desktop shell: opening files and addresses, special folders.
class Shell {
public:
    virtual ~Shell() = default;
    // Opens a file, folder or address with the desktop's default action. Enclosing double quotes
    // are Windows quoting and are removed; the working folder and show mode have no meaning here.
    virtual void execute(QObject* owner, const QString& file, const QString& workingFolder, int showMode) = 0;
    // A change notification to the shell; nothing listens for it here.
    virtual void changeNotify(long eventId, unsigned flags) = 0;
    // The user's desktop folder, without trailing separator. Throws RuntimeError when unknown.
    virtual QString desktopFolder() = 0;
};
