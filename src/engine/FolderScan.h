#pragma once
#include <QString>
#include <QStringList>

#include "platform/Platform.h"

// What one folder scan found: its folders in order, each with the files of it that match the
// scan's pattern, from the one reading of each folder that the scan makes anyway. The files of
// all folders are packed in one text, so the scan of a large tree holds one block until the
// adding loop and then gives it back whole.
class ScannedFolders {
public:
    qsizetype size() const { return folders_.size(); }
    const QString& folder(qsizetype i) const { return folders_[i].path; }  // ends with '/'
    QStringList folders() const;
    // Calls visit(name, plainHidden) for each file of folder i, in listing order.
    template <typename Visit>
    void forEachFile(qsizetype i, Visit visit) const;

    void addFolder(const QString& path);
    void addFile(const FolderListing::File& file);  // to the last folder

private:
    struct Folder {
        QString path;
        qsizetype filesFrom, filesTo;
    };
    QList<Folder> folders_;
    QString files_;  // each file: 'h' when plain hidden else 'f', its name, a NUL
};

// The folder scan. `folders` holds folder paths that end with '/'. The result holds them, less
// those that could not be listed, followed by every folder below them, level by level, each level
// in the order of its parents and below one parent in listing order. A folder that is hidden and
// system at once is not in the result and nothing below it is visited. Each real folder is entered
// once: a link or mount that leads to a folder the scan has met, or to a folder that holds one of
// the given folders, is not followed, so every file is found once and the scan ends on any tree.
// Pumps messages at every folder and subfolder.
ScannedFolders GetSubDirectories2016(Platform& platform, const QStringList& folders, const QString& pattern);

// True when a folder name holds a character the scan does not follow: a control character
// (U+0000 to U+001F, U+007F to U+009F) or U+FFFD, which is what the name's bytes became because
// they are not valid UTF-8. (On Windows this was the code page's test, with '?' as its mark for a
// character it cannot express; '?' is an ordinary character here.)
bool HasUnsafeChars(const QString& name);

template <typename Visit>
void ScannedFolders::forEachFile(qsizetype i, Visit visit) const {
    const Folder& folder = folders_[i];
    const QStringView files = QStringView(files_).sliced(folder.filesFrom, folder.filesTo - folder.filesFrom);
    for (qsizetype at = 0; at < files.size();) {
        const qsizetype end = files.indexOf(QChar(0), at);
        visit(files.sliced(at + 1, end - at - 1), files[at] == u'h');
        at = end + 1;
    }
}
