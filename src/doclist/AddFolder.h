#pragma once
#include <QString>
#include <QStringList>

#include "platform/Platform.h"

class ListView;
class QWidget;
class Trap;

// The folder browser, opening on `initial`: the chosen folder's path (no trailing separator
// except for "/"), or the empty text when the user cancelled.
QString BrowseForFolder(Platform& platform, QWidget* owner, const QString& title, const QString& initial);

// The folder scan. `folders` holds folder paths that end with '/'; on return it holds them, less
// those that could not be listed, followed by every folder below them, level by level, each
// level in the order of its parents and below one parent in listing order. A folder that is
// hidden and system at once is not in the result and nothing below it is visited; nor is a
// folder that leads back to itself or to a folder above it (a link), so every real folder is
// entered at most once along one descent. Pumps messages at every folder and subfolder.
void GetSubDirectories2016(Platform& platform, QStringList& folders, bool recurse);

// True when a folder name holds a character the scan does not follow: a control character
// (U+0000 to U+001F, U+007F to U+009F) or U+FFFD, which is what the name's bytes became because
// they are not valid UTF-8. (On Windows this was the code page's test, with '?' as its mark for a
// character it cannot express; '?' is an ordinary character here.)
bool HasUnsafeChars(const QString& name);

// The adding loop of the folder button and the drop: for each folder of the scan's result, its
// files that match the pattern, except names beginning with "~" and hidden files whose attribute
// value is exactly hidden + archive (34), go to the end of the list, normalised. Its steps report
// through `trap` with the folder button's line numbers.
void AddFolderFiles(Trap& trap, Platform& platform, ListView* list, const QStringList& folders,
                    const QString& pattern);
