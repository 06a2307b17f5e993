#include "AddFolder.h"

#include <QFile>
#include <QHash>
#include <memory>

#include "app/AppTitle.h"
#include "app/Form1.h"
#include "app/Settings.h"
#include "app/Trap.h"
#include "doclist/ListView.h"
#include "doclist/PathHelpers.h"

namespace {
const QString ExtensionPrompt = QStringLiteral(
    "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc files, etc.)");

// This platform's limits in place of MAX_PATH: a path the system takes has fewer than 4096 bytes,
// a name at most 255.
constexpr qsizetype PathLimitBytes = 4096;
constexpr qsizetype NameLimitBytes = 255;

// Attribute values that keep the scan out of a folder: hidden + system + directory, with or
// without the reparse point. This machine never sets system, so no real folder meets the rule;
// it stays for file systems that do.
bool isHiddenSystemFolder(const std::optional<quint32>& attributes) {
    return attributes && (*attributes == 22 || *attributes == 1046);
}

// The real folders above a folder of the scan along its descent, nearest first.
struct Descent {
    QString identity;
    std::shared_ptr<const Descent> above;
    bool includes(const QString& id) const {
        for (const Descent* d = this; d; d = d->above.get())
            if (d->identity == id) return true;
        return false;
    }
};

// One scan: the levels of GetSubDirectories2016 and the descents of the folders they found.
class FolderScan {
public:
    explicit FolderScan(Platform& platform) : platform_(platform), files_(platform.files) {}
    // Handles one level and calls itself for the next. Returns how many folders of the deeper
    // levels it appended to `folders`.
    qsizetype GetSubDirectories2016(QStringList& folders, bool recurse);

private:
    void listSubFolders(const QString& folder, QStringList& found);
    std::shared_ptr<const Descent> descentOf(const QString& folder);
    Platform& platform_;
    FileSystem& files_;
    QHash<QString, std::shared_ptr<const Descent>> descents_;
};

std::shared_ptr<const Descent> FolderScan::descentOf(const QString& folder) {
    auto& descent = descents_[folder];
    if (!descent) descent = std::make_shared<const Descent>(Descent{files_.folderIdentity(folder), nullptr});
    return descent;
}

// Steps 118 to 136: a failure here is the per-folder recovery's, not the report's.
void FolderScan::listSubFolders(const QString& folder, QStringList& found) {
    const QStringList names = files_.subFolders(folder);
    const auto descent = descentOf(folder);
    for (const QString& name : names) {
        platform_.runtime.pumpMessages();
        // A '?' is an ordinary character here; a name the system could not decode shows U+FFFD,
        // which HasUnsafeChars refuses.
        if (name.toUtf8().size() > NameLimitBytes || HasUnsafeChars(name) || name == QLatin1String(".") ||
            name == QLatin1String(".."))
            continue;
        const QString subFolder = folder + name + QLatin1Char('/');
        // A folder the descent has entered already is a link back up: following it would add the
        // same files again and again until the paths grow too long.
        const QString identity = files_.folderIdentity(subFolder);
        if (!identity.isEmpty() && descent->includes(identity)) continue;
        found << subFolder;
        descents_.insert(subFolder, std::make_shared<const Descent>(Descent{identity, descent}));
    }
}

qsizetype FolderScan::GetSubDirectories2016(QStringList& folders, bool recurse) {
    Trap trap(platform_, ScanProject + QStringLiteral(".AddFolder.GetSubDirectories2016"));
    // [100] The platform's file system stands for the file-system object.
    QStringList found;  // [104]
    for (qsizetype i = 0; i < folders.size(); ++i) {  // [106]
        const QString folder = folders[i];
        if (trap.test(108, [&] { return !IsFolder(files_, folder); })) continue;
        if (trap.test(110, [&] { return QFile::encodeName(folder).size() >= PathLimitBytes; })) continue;
        std::optional<quint32> attributes;
        bool root = false;
        trap(112, [&] {
            attributes = files_.attributes(folder);
            root = files_.isRootFolder(folder);
        });
        trap(114, [&] { platform_.runtime.pumpMessages(); });
        if (trap.test(116, [&] { return !root && isHiddenSystemFolder(attributes); })) continue;
        try {
            listSubFolders(folder, found);
        } catch (const RuntimeError& error) {
            // [138 to 148] A folder that cannot be listed leaves the result silently, with
            // everything below it; the walk goes on with the folder that followed it.
            if (error.number == Err::permissionDenied().number || error.number == Err::pathNotFound().number) {
                const qsizetype at = folders.indexOf(folder);
                if (at >= 0) {
                    folders.removeAt(at);
                    if (at <= i) --i;
                }
            }
        } catch (const std::exception&) {
            // Any other failure keeps the folder and what was found, also without a message.
        }
    }
    qsizetype deeper = 0;
    if (trap.test(150, [&] { return !found.isEmpty() && recurse; }))
        trap(150, [&] { deeper = GetSubDirectories2016(found, recurse); });
    // [152 to 160] The next level's folders are tested once more before they join the result.
    // The deeper levels' folders were tested so by the level that found them, moments ago; testing
    // them again at every level above would cost a look and a message pump per folder and level
    // and change nothing.
    const qsizetype nextLevel = found.size() - deeper;
    qsizetype appended = 0;
    for (qsizetype j = 0; j < found.size(); ++j) {
        const QString& folder = found[j];
        if (j >= nextLevel) {
            folders << folder;
            ++appended;
            continue;
        }
        if (!trap.test(154, [&] { return IsFolder(files_, folder); })) continue;
        trap(156, [&] { platform_.runtime.pumpMessages(); });
        if (trap.test(158, [&] { return files_.isRootFolder(folder) || !isHiddenSystemFolder(files_.attributes(folder)); })) {
            trap(160, [&] { folders << folder; });
            ++appended;
        }
    }
    return appended;
}
}  // namespace

QString BrowseForFolder(Platform& platform, QWidget* owner, const QString& title, const QString& initial) {
    return platform.dialogs.browseForFolder(owner, title, initial);
}

void GetSubDirectories2016(Platform& platform, QStringList& folders, bool recurse) {
    FolderScan(platform).GetSubDirectories2016(folders, recurse);
}

bool HasUnsafeChars(const QString& name) {
    for (const QChar c : name) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F) || c == QChar::ReplacementCharacter) return true;
    }
    return false;
}

void AddFolderFiles(Trap& trap, Platform& platform, ListView* list, const QStringList& folders,
                    const QString& pattern) {
    FileSystem& files = platform.files;
    for (QString folder : folders) {  // [118]
        trap(120, [&] { folder.chop(1); });
        QStringList names;
        trap(122, [&] { names = ListFolderFiles(files, folder, pattern); });
        for (const QString& name : names) {  // [124]
            if (trap.test(126, [&] { return name.startsWith(QLatin1Char('~')); })) continue;
            QString path;
            trap(128, [&] { path = folder + QLatin1Char('/') + name; });
            if (trap.test(132, [&] { return IsExistingFile(files, path) && files.attributes(path) != 34u; }))
                trap(132, [&] { AppendEntry(list, NormalizePath(path)); });
        }
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
    trap(112, [&] { MousePointer.setMode(vbHourglass); });
    QStringList folders;
    trap(114, [&] { folders << folder + QLatin1Char('/'); });
    trap(116, [&] { GetSubDirectories2016(platform, folders, true); });
    AddFolderFiles(trap, platform, ListView1, folders, QStringLiteral("*.") + extension);
    trap(136, [&] { MousePointer.setMode(vbDefault); });
}
