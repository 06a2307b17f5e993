#pragma once
#include <QJsonObject>
#include <QList>
#include <QString>

// An instance's record of its steps, one JSON line each, on the disk before the next step begins, so
// that whatever ends the instance (kill -9, a crash, a power loss), the next one knows how far it got.
// The instance holds a lock on it while it lives: a journal nobody holds is a dead instance's.
class Journal {
public:
    Journal() = default;
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Opens the journal for appending and locks it; false (with why) when it cannot, or another
    // living instance holds it.
    bool hold(const QString& path, QString* why);
    // Appends the line and waits until it is on the disk. False when it could not be written.
    bool write(const QJsonObject& line);
    void release();

    // The lines of a journal, a last line cut short by a crash left out.
    static QList<QJsonObject> Read(const QString& path);

private:
    int fd_ = -1;
};
