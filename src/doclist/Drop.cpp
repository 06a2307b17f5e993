#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "app/Form1.h"
#include "runtime/Trap.h"
#include "doclist/AddFolder.h"
#include "doclist/ListView.h"
#include "engine/PathHelpers.h"

namespace {
// The file manager's list of dropped files and folders (CF_HDROP, format 15) is a list of
// file: URLs here; their paths in the order the file manager gave them, or nothing when the
// drag carries anything else.
QStringList DroppedFiles(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) return {};
        paths << url.toLocalFile();
    }
    return paths;
}
}  // namespace

void Form1::ListView1_OLEDragOver(QDragMoveEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty()) return;
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
}

// Dropped folders contribute their whole trees, each scanned on its own; anything else is taken
// as the file manager delivered it. The drop has no busy mark. A failing step is reported and the
// drop goes on with the next one, so a vanished item never ends the program.
void Form1::ListView1_OLEDragDrop(QDropEvent* event) {
    const QStringList items = DroppedFiles(event->mimeData());
    Trap trap(platform, MainProject + QStringLiteral(".Form1.ListView1_OLEDragDrop"));
    for (const QString& item : items) {
        // A failing folder test leaves the item taken as a file, as a vanished item is.
        bool folder = false;
        trap(100, [&] { folder = platform.files.entryExists(item) && IsFolder(platform.files, item); });
        if (folder) {
            QStringList folders;
            trap(102, [&] { folders << item + QLatin1Char('/'); });
            ScannedFolders scanned;
            trap(104, [&] { scanned = GetSubDirectories2016(platform, folders, QStringLiteral("*.*")); });
            AddFolderFiles(trap, ListView1, scanned);
        } else {
            trap(136, [&] { AppendEntry(ListView1, item); });
        }
    }
}
