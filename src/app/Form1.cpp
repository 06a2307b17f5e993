#include "Form1.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>

#include "runtime/AppTitle.h"
#include "app/OfficeCheck.h"
#include "runtime/PathExists.h"
#include "app/Samples.h"
#include "runtime/Settings.h"
#include "runtime/Trap.h"
#include "printing/GetSetPrinter.h"
#include "printing/PDFprint.h"

namespace {
QGroupBox* frame(QWidget* parent, const QString& caption, int left, int top, int width, int height) {
    auto* f = new QGroupBox(caption, parent);
    f->setFont(CaptionFont());
    PaintBackground(f, DesignBackground);
    Place(f, left, top, width, height);
    return f;
}
}  // namespace

// The icon lives in the core library's resources, which a static library must register itself.
static void initResources() { Q_INIT_RESOURCE(assets); }

Form1::Form1(Platform& platform) : platform(platform) {
    initResources();
    layOutControls();
    connectHandlers();
}

Form1::~Form1() = default;

void Form1::layOutControls() {
    setFixedSize(Twips(8040), Twips(6540));
    PaintBackground(this, DesignBackground);

    ListView1 = new ListView(this);
    Place(ListView1, 120, 120, 6840, 2535);
    PushButton3 = NewButton(this, QStringLiteral("Move Up"), 7080, 120, 840, 1200);
    PushButton5 = NewButton(this, QStringLiteral("Move Down"), 7080, 1440, 840, 1200);
    PushButton1 = NewButton(this, QStringLiteral("Add Writer File(s)"), 120, 2750, 3840, 405);
    PushButton4 = NewButton(this, QStringLiteral("Add All Writer Files In Folder"), 4080, 2750, 3840, 405);
    PushButton6 = NewButton(this, QStringLiteral("Clear List"), 120, 3260, 3840, 405);
    PushButton7 = NewButton(this, QStringLiteral("Load Sample/Example Files"), 4080, 3260, 3840, 405);
    Frame1 = frame(this, QStringLiteral("Select Printer"), 120, 3720, 7800, 800);
    Combo1 = new QComboBox(Frame1);
    Place(Combo1, 240, 300, 7320, 345);
    Frame3 = frame(this, QStringLiteral("Pause X Seconds Between Prints"), 120, 4580, 7800, 795);
    Text2 = new QLineEdit(Frame3);
    Place(Text2, 225, 300, 4380, 345);
    PushButton11 = NewButton(Frame3, QStringLiteral("What's this feature?"), 4680, 300, 2880, 345);
    PushButton2 = NewButton(this, QStringLiteral("Start Printing"), 120, 5490, 7800, 405);
    ProgressBar1 = new QProgressBar(this);
    Place(ProgressBar1, 120, 6010, 7800, 405);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->setAlignment(Qt::AlignCenter);
    ProgressBar1->setFormat(QStringLiteral("Progress Bar"));

    const QList<QWidget*> tabOrder{ListView1, PushButton3, PushButton5, PushButton1, PushButton4, PushButton6,
                                   PushButton7, Combo1, Text2, PushButton11, PushButton2};
    for (int i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);

    hover_ = std::make_unique<HoverRules>(
        MousePointer,
        QList<QWidget*>{PushButton1, PushButton2, PushButton3, PushButton4, PushButton5, PushButton6, PushButton7,
                        PushButton11},
        QList<QWidget*>{this, Frame1, Frame3});

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Form1::connectHandlers() {
    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(PushButton11, &QPushButton::clicked, this, &Form1::PushButton11_Click);
    connect(Combo1, &QComboBox::currentIndexChanged, this, &Form1::Combo1_Click);
    connect(Text2, &QLineEdit::textChanged, this, &Form1::Text2_Change);
    connect(ListView1, &ListView::OLEDragOver, this, &Form1::ListView1_OLEDragOver);
    connect(ListView1, &ListView::OLEDragDrop, this, &Form1::ListView1_OLEDragDrop);
    connect(ListView1, &ListView::ItemClick, this, &Form1::ListView1_ItemClick);
    connect(ListView1, &ListView::MouseDown, this, &Form1::ListView1_MouseDown);
    connect(ListView1, &ListView::MouseMove, this, &Form1::ListView1_MouseMove);
    connect(ListView1, &ListView::MouseUp, this, &Form1::ListView1_MouseUp);
    connect(ListView1, &ListView::KeyDown, this, &Form1::ListView1_KeyDown);
    connect(ListView1, &ListView::DblClick, this, &Form1::ListView1_DblClick);
}

void Form1::Form_Load() {
    Trap trap(platform, MainProject + QStringLiteral(".Form1.Form_Load"));
    // Steps 136 and 138 both ask the printing system: when it is not running, one report says so.
    trap.reportEachCauseOnce();
    const QString handCursor = platform.programFolder + QStringLiteral("/HAND-M.CUR");
    trap(100, [&] { ApplySkin(this, SkinFramework1, platform.programFolder); });
    if (trap.test(102, [&] { return PathExists(platform, handCursor); })) {
        trap(104, [&] {
            const auto cursor = LoadCursorFile(handCursor);
            if (!cursor) throw RuntimeError(481, QStringLiteral("Invalid picture"));
            MousePointer.setCustomImage(*cursor);
        });
    }
    if (trap.test(108, [&] { return GetSetting(platform.settings, QStringLiteral("Snapshot")).isEmpty(); }))
        trap(108, [&] { TakeSamplesSnapshot(*this); });
    trap(130, [&] { setWindowTitle(ProductName); });
    trap(130, [&] { setWindowIcon(QIcon(QStringLiteral(":/quorvane.png"))); });
    trap(130, [&] { SetAppTitle(); });
    trap(132, [&] { ListView1->setHeaderLabels({QStringLiteral(" Writer File(s)")}); });
    trap(134, [&] { ListView1->setColumnWidth(0, Twips(6500)); });
    trap(136, [&] { CheckPdfPrinter(platform); });
    trap(138, [&] { FillPrinterList(*this); });
    trap(140, [&] { Text2->setText(GetSetting(platform.settings, QStringLiteral("Text2"), QStringLiteral("2"))); });
    trap(142, [&] { CheckOfficeInstalled(*this); });
}

// Closing the main window ends the program at once, also in the middle of a run or a scan;
// the user's default printer and the office are put right first.
void Form1::Form_QueryUnload() {
    RestoreDefaultPrinterOnClose(*this);
    platform.office.shutdown();
    platform.runtime.endProgram();
}

// The desktop changed its palette (a dark theme chosen): the skin takes the new colours.
bool Form1::event(QEvent* event) {
    if (event->type() == QEvent::ApplicationPaletteChange) SkinFramework1.ApplyWindow(this);
    return QWidget::event(event);
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_QueryUnload();
}
