#include "AddFolder.h"

#include <QStringBuilder>

#include "runtime/AppTitle.h"
#include "app/Form1.h"
#include "runtime/Settings.h"
#include "runtime/Trap.h"
#include "doclist/ListView.h"
#include "engine/PathHelpers.h"

namespace {
const QString ExtensionPrompt = QStringLiteral(
    "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc files, etc.)");
}  // namespace

QString BrowseForFolder(Platform& platform, QWidget* owner, const QString& title, const QString& initial) {
    return platform.dialogs.browseForFolder(owner, title, initial);
}

void AddFolderFiles(Trap& trap, ListView* list, const ScannedFolders& scanned) {
    for (qsizetype i = 0; i < scanned.size(); ++i) {  // [118]
        QString folder = scanned.folder(i);
        trap(120, [&] { folder.chop(1); });
        // [122] The names ListFolderFiles gives, from the scan's reading of the folder: files that
        // exist, each with what its attribute value would decide.
        scanned.forEachFile(i, [&](QStringView name, bool plainHidden) {  // [124]
            if (trap.test(126, [&] { return name.startsWith(u'~'); })) return;
            QString path;
            trap(128, [&] { path = folder % QLatin1Char('/') % name; });
            if (trap.test(132, [&] { return !plainHidden; }))
                trap(132, [&] { AppendEntry(list, NormalizePath(path)); });
        });
    }
}

void Form1::PushButton4_Click() {
    Trap trap(platform, MainProject + QStringLiteral(".Form1.PushButton4_Click"));
    QString extension;
    trap(100, [&] {
        const QString preset = GetSetting(platform.settings, QStringLiteral("Extension"), QStringLiteral("odt"));
        extension = platform.dialogs.inputBox(this, ExtensionPrompt, AppTitle(), preset);
    });
    trap(100, [&] {
        if (!extension.isEmpty()) SaveSetting(platform.settings, QStringLiteral("Extension"), extension);
    });
    if (trap.test(102, [&] { return extension.isEmpty(); })) return;
    QString chosen;
    trap(104, [&] {
        const QString lastFolder = GetSetting(platform.settings, QStringLiteral("LastFolder"));
        chosen = BrowseForFolder(platform, this, QStringLiteral("Please select folder:"), lastFolder);
    });
    if (trap.test(106, [&] { return chosen.isEmpty(); })) return;
    QString folder;
    trap(333, [&] { folder = chosen; });
    trap(334, [&] { SaveSetting(platform.settings, QStringLiteral("LastFolder"), folder); });
    // A click during a scan or a print run ends while the outer one still works: it puts back the
    // pointer it found, so the busy mark lasts until the outer one ends.
    int pointerFound = vbDefault;
    trap(112, [&] { pointerFound = MousePointer.markBusy(); });
    QStringList folders;
    trap(114, [&] { folders << folder + QLatin1Char('/'); });
    ScannedFolders scanned;
    trap(116, [&] { scanned = GetSubDirectories2016(platform, folders, QStringLiteral("*.") + extension); });
    AddFolderFiles(trap, ListView1, scanned);
    trap(136, [&] { MousePointer.setMode(pointerFound); });
}
