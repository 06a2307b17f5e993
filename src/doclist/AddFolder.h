#pragma once
#include <QString>
#include <QStringList>

#include "engine/FolderScan.h"
#include "platform/Platform.h"

class ListView;
class QWidget;
class Trap;

// The folder browser, opening on `initial`: the chosen folder's path (no trailing separator
// except for "/"), or the empty text when the user cancelled.
QString BrowseForFolder(Platform& platform, QWidget* owner, const QString& title, const QString& initial);

// The adding loop of the folder button and the drop: for each folder of the scan's result, its
// files, except names beginning with "~" and hidden files whose attribute value is exactly
// hidden + archive (34), go to the end of the list, normalised. Its steps report through `trap`
// with the folder button's line numbers.
void AddFolderFiles(Trap& trap, ListView* list, const ScannedFolders& scanned);
