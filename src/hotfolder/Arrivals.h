#pragma once
#include <QElapsedTimer>
#include <QMap>
#include <QStringList>

// The documents that arrive in a folder, each reported once it is whole: moved in, or written and then
// left alone for a settling time by every writer, and held open for writing by no process of this
// machine. Files whose names say they are partial or hidden are never reported, nor subfolders.
class Arrivals {
public:
    Arrivals(const QString& folder, const QString& extension, int settleMs);
    ~Arrivals();
    Arrivals(const Arrivals&) = delete;
    Arrivals& operator=(const Arrivals&) = delete;

    // Watches the folder and takes what is there already; false, with why, when it cannot be watched.
    bool start(QString* why);
    int fd() const { return fd_; }
    // Reads what the folder says happened (call when fd() is readable).
    void readEvents();
    // The documents whole by now, in the order they arrived (were last written, or moved in); each is
    // reported once. A document still settling holds back those that arrived after it, one held open
    // for writing does not.
    QStringList takeWhole();
    // Documents seen but not whole yet.
    bool anyPending() const { return !pending_.isEmpty(); }

    // A name a document being written or a hidden file has: ".part", "~$name", ".~lock...", dot-files,
    // or another extension than the run's ("*": any).
    static bool LeftAlone(const QString& name, const QString& extension);

private:
    // A change of the file at `atMs`, after which it is whole at `wholeAtMs` unless it changes again.
    void seen(const QString& name, qint64 atMs, qint64 wholeAtMs);
    void scan();

    QString folder_, extension_;
    int settleMs_;
    int fd_ = -1;
    QElapsedTimer clock_;
    struct Change {
        qint64 atMs, wholeAtMs;  // on clock_
        bool heldOpen = false;   // found open for writing: its writer's close is awaited, not looked for again
    };
    QMap<QString, Change> pending_;
};
