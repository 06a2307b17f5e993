#pragma once
#include <QList>
#include <QString>
#include <optional>

#include "hotfolder/Journal.h"

// A document this instance has claimed, and how far it got.
struct Claimed {
    QString id;    // its folder in the work folder; ids sort in the order of claiming
    QString name;  // its name as it arrived
    QString path;  // where it lies now
    int newestBefore = -1;  // the user's newest job just before its job was sent; -1: not sent
    int job = 0;            // its job, once the printing system holds it
    QString printer;
    QString outcome, reason;  // its end, once known, if it is still to be filed
};

// The folders of a watched folder: IN/.work/HOST-PID-START/ holds what this instance has claimed, each
// document in a folder of its own, beside its journal IN/.work/HOST-PID-START.journal; documents end in the
// done or the failed folder. Claims are renames, which no two instances (on one machine or sharing the
// folder over NFS or SMB) can both win.
class WorkFolder {
public:
    WorkFolder(const QString& in, const QString& done, const QString& failed);
    // Makes the folders and this instance's work folder and journal; false, with why, when it cannot.
    bool start(QString* why);
    // IN/name moved into this instance's work folder; nothing when another instance took it first.
    std::optional<Claimed> claim(const QString& name);
    // The documents of the dead instances of this machine, moved into this one's, with what their
    // journals say of their jobs; their work folders and journals go.
    QList<Claimed> takeOver();
    // The steps of a document's job, each on the disk before the next.
    void sending(Claimed& document, int newestBefore, const QString& printer);
    void sent(Claimed& document, int job, const QString& printer);
    void ended(Claimed& document, const QString& outcome, const QString& reason);
    // Moves the document into the done folder, or the failed one with its reason beside it in
    // NAME.txt, under its own name or, when that is taken, "name (2).ext"; returns where it went.
    QString file(const Claimed& document, bool done, const QString& reason);
    // Moves an unprinted document back where it arrived.
    void putBack(const Claimed& document);
    // Ends the instance: its work folder goes when it is empty, else it waits for a later instance.
    void close();

    QString instance() const { return instance_; }

private:
    QString newId();
    std::optional<Claimed> adopt(const QString& deadFolder, const QString& id, Claimed document);

    QString in_, done_, failed_, work_, host_, instance_;
    Journal journal_;
    int claims_ = 0;
};

// Moves `from` into `folder` under `name`, or "name (2).ext" and so on when it is taken; never over a
// file. Returns the new path, or the empty text when it cannot be moved.
QString MoveWithoutOverwriting(const QString& from, const QString& folder, const QString& name);
