#pragma once
#include <QSet>
#include <QString>
#include <mutex>

// The run's PDFs while they are written: each is exported to a hidden file of its own beside its
// final name and renamed when whole, so a PDF appears whole or not at all. A PDF on its way to a
// printer is written in the run's spool folder instead. An interrupted run removes the files not yet
// whole and reports those that are. Any thread.
class PendingFiles {
public:
    // The run's own folder for PDFs that only pass through on their way to the printer, readable by the
    // user alone; made on the first call. The empty text and why in *error when it cannot be made.
    QString spool(QString* error);
    // Makes a new empty file in folder for a PDF to be written: its path, or the empty text and why in
    // *error. After removeAll() no file is made any more.
    QString reserve(const QString& folder, QString* error);
    // Gives the whole PDF its name (replacing an older file of that name): the empty text, or why not.
    QString publish(const QString& temporary, const QString& name);
    // Removes a file that will not become a PDF.
    void discard(const QString& temporary);
    // Removes every file not yet published and the spool folder, for good.
    void removeAll();
    bool isPublished(const QString& name) const;

private:
    mutable std::mutex mutex_;
    QSet<QString> pending_, published_;
    QString spool_;
    bool closed_ = false;
};
