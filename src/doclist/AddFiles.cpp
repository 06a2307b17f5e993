#include "runtime/AppTitle.h"
#include "app/Form1.h"
#include "runtime/Trap.h"
#include "doclist/ListView.h"
#include "engine/PathHelpers.h"

namespace {
// Multiple selection 512, explorer style 524288, long names 2097152, read-only box checked 1.
constexpr qint32 OpenFlags = 2621953;
const QString OpenTitle = QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");
const QString OpenFilter = QStringLiteral(
    "Writer Documents (*.odt;*.ott;*.sxw;*.stw)|*.odt;*.ott;*.sxw;*.stw|All Files (*.*)|*.*");
const QString TooManyFiles =
    QStringLiteral("You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button.");
}  // namespace

// The dialog hands back one path, or the folder and then each name after a NUL character; the
// files of one selection are appended as one run, in that order.
void Form1::PushButton1_Click() {
    Trap trap(platform, MainProject + QStringLiteral(".Form1.PushButton1_Click"));
    trap.endOn(Err::fileNameBufferTooSmall().number, [&] {
        platform.dialogs.messageBox(this, {TooManyFiles, AppTitle(), Buttons::Ok, Icon::None});
    });
    trap(104, [&] { CommonDialog1.FileName.clear(); });
    trap(106, [&] { CommonDialog1.Flags = OpenFlags; });
    trap(108, [&] { CommonDialog1.DialogTitle = OpenTitle; });
    trap(110, [&] { CommonDialog1.Filter = OpenFilter; });
    trap(112, [&] {
        const OpenFileRequest request{CommonDialog1.FileName, CommonDialog1.Flags, CommonDialog1.DialogTitle,
                                      CommonDialog1.Filter};
        CommonDialog1.FileName = platform.dialogs.showOpen(this, request);
    });
    if (trap.test(114, [&] { return CommonDialog1.FileName.isEmpty(); })) return;
    QStringList parts;
    trap(116, [&] { parts = CommonDialog1.FileName.split(QChar(0)); });
    if (trap.test(118, [&] { return parts.size() == 1; })) {
        QString path;
        trap(120, [&] { path = parts.value(0); });
        trap(122, [&] { AppendEntry(ListView1, path); });
        return;
    }
    // [124] Part 0 is the folder, the others are the names.
    qsizetype first = 0, last = -1;
    trap(126, [&] { first = 1; });
    trap(128, [&] { last = parts.size() - 1; });
    for (qsizetype i = first; i <= last; ++i) {  // [134]
        QString path;
        trap(136, [&] { path = parts.value(0) + QLatin1Char('/') + parts.value(i); });
        trap(138, [&] { path = NormalizePath(path); });  // the root folder "/" gave "//name"
        trap(140, [&] { AppendEntry(ListView1, path); });
    }
}
