#include "Form2.h"

#include <QEvent>
#include <QIcon>
#include <QTimer>

#include "runtime/AppTitle.h"
#include "app/Controls.h"
#include "app/Form1.h"
#include "runtime/PathExists.h"
#include "runtime/Settings.h"
#include "app/Skin.h"
#include "runtime/Trap.h"
#include "doclist/AddFolder.h"
#include "engine/PathHelpers.h"
#include "printing/PDFprint.h"

namespace {
const QString BackupPathKey = QStringLiteral("Backup Path");

QString location(const char* procedure) {
    return MainProject + QStringLiteral(".Form2.") + QLatin1String(procedure);
}

}  // namespace

Form2::Form2(Platform& platform, QWidget* owner) : QDialog(owner), platform(platform) {
    setFixedSize(Twips(6600), Twips(1620));
    Frame1 = new QGroupBox(QStringLiteral("Save PDF Files To This Folder"), this);
    Frame1->setFont(CaptionFont());
    Place(Frame1, 120, 120, 6360, 855);
    txtBackupPath = new QLineEdit(Frame1);
    Place(txtBackupPath, 120, 360, 5520, 345);
    PushButton2 = NewButton(Frame1, QStringLiteral("..."), 5760, 360, 480, 345);
    PushButton1 = NewButton(this, QStringLiteral("OK"), 5160, 1095, 1320, 405);
    // Enter in the text box must not close the window before the user has pressed OK.
    PushButton1->setAutoDefault(false);
    PushButton2->setAutoDefault(false);

    hover_ = std::make_unique<HoverRules>(MousePointer, QList<QWidget*>{PushButton1, PushButton2},
                                          QList<QWidget*>{this, Frame1});
    txtBackupPath->installEventFilter(this);
    connect(PushButton1, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(txtBackupPath, &QLineEdit::textChanged, this, &Form2::txtBackupPath_Change);
}

Form2::~Form2() = default;

void Form2::ShowModal() {
    Form_Load();
    exec();
}

void Form2::Form_Load() {
    Trap trap(platform, location("Form_Load"));
    const QString handCursor = platform.programFolder + QStringLiteral("/HAND-M.CUR");
    trap(100, [&] { RecolorForSkin(this); });
    trap(102, [&] {
        setWindowTitle(ProductName);
        setWindowIcon(QIcon(QStringLiteral(":/quorvane.png")));
    });
    if (trap.test(104, [&] { return PathExists(platform, handCursor); }))
        trap(106, [&] {
            const auto cursor = LoadCursorFile(handCursor);
            if (!cursor) throw RuntimeError(481, QStringLiteral("Invalid picture"));
            MousePointer.setCustomImage(*cursor);
        });
    // The default is worked out first, also when a folder is stored.
    trap(108, [&] {
        const QString folder = DefaultPdfFolder(platform);
        txtBackupPath->setText(GetSetting(platform.settings, BackupPathKey, folder));
    });
}

// The text goes to the run as it is: it is not examined, and closing is never refused.
void Form2::Form_QueryUnload() {
    Trap trap(platform, location("Form_QueryUnload"));
    trap(100, [&] { OutputFolder = txtBackupPath->text(); });
}

void Form2::done(int result) {
    Form_QueryUnload();
    QDialog::done(result);
}

void Form2::PushButton1_Click() {
    Trap trap(platform, location("PushButton1_Click"));
    trap(100, [&] { accept(); });
}

void Form2::PushButton2_Click() {
    Trap trap(platform, location("PushButton2_Click"));
    QString folder;
    trap(100, [&] { folder = BrowseForFolder(platform, this, QStringLiteral("Please select folder:"), {}); });
    if (trap.test(102, [&] { return folder.isEmpty(); })) return;
    trap(104, [&] { folder += QLatin1Char('/'); });
    // There are no network paths here, so every folder is normalised: a root's doubled separator
    // becomes one.
    trap(108, [&] { folder = NormalizePath(folder); });
    trap(110, [&] { txtBackupPath->setText(folder); });
}

void Form2::txtBackupPath_Change() { SaveSetting(platform.settings, BackupPathKey, txtBackupPath->text()); }

// Selected after the focus change has been handled, so that a click into the box keeps it selected.
void Form2::txtBackupPath_GotFocus() { QTimer::singleShot(0, txtBackupPath, &QLineEdit::selectAll); }

bool Form2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtBackupPath && event->type() == QEvent::FocusIn) txtBackupPath_GotFocus();
    return QDialog::eventFilter(watched, event);
}
