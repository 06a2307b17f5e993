#pragma once
#include <QSet>
#include <QString>
#include <mutex>

// The run's PDFs while they are written: each is exported to a hidden file of its own beside its
// final name and renamed when whole, so a PDF appears whole or not at all. An interrupted run removes
// the files not yet whole and reports those that are. Any thread.
class PendingFiles {
public:
    // Makes a new empty file in folder for a PDF to be written: its path, or the empty text and why in
    // *error. After removeAll() no file is made any more.
    QString reserve(const QString& folder, QString* error);
    // Gives the whole PDF its name (replacing an older file of that name): the empty text, or why not.
    QString publish(const QString& temporary, const QString& name);
    // Removes a file that will not become a PDF.
    void discard(const QString& temporary);
    // Removes every file not yet published, for good.
    void removeAll();
    bool isPublished(const QString& name) const;

private:
    mutable std::mutex mutex_;
    QSet<QString> pending_, published_;
    bool closed_ = false;
};
